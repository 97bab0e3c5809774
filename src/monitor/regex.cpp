#include "monitor/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <chrono>

namespace nuvaro {
namespace {

// Bounds that end an expression that backtracks without end instead of freezing the program.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 1'000'000;
constexpr PCRE2_SIZE kHeapLimitKiB = 256 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 16 * 1024 * 1024;
// The match limit counts afresh at every start position, so on a long page it does not bound
// the whole search; this does. A normal search of a page takes milliseconds.
constexpr auto kSearchBudget = std::chrono::seconds(2);
// Called by the engine at every start position it tries (and by any callout of the user's).
constexpr std::string_view kBudgetCallout = "(?C1)";

using Deadline = std::chrono::steady_clock::time_point;

struct Budget {
    Deadline deadline;
    unsigned calls = 0;
};

// Reads the clock at every 16th start only: most starts fail at once and cost less than a
// clock read, while one start is bounded by the match limit (some 0.1 s).
int CheckDeadline(pcre2_callout_block*, void* data) {
    auto* budget = static_cast<Budget*>(data);
    if (++budget->calls % 16 != 0) return 0;
    bool over = std::chrono::steady_clock::now() >= budget->deadline;
    return over ? PCRE2_ERROR_MATCHLIMIT : 0;  // a negative result ends the search with it
}

// Places the budget callout in front of the pattern, behind the "(*NAME)" settings that the
// engine accepts only at the very start. A callout is no group and no character: numbering,
// anchoring and the start-of-match optimisations stay as they were.
std::string WithBudgetCallout(std::string_view pattern) {
    size_t at = 0;
    while (pattern.substr(at, 2) == "(*") {
        size_t end = pattern.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789=", at + 2);
        if (end == std::string_view::npos || pattern[end] != ')') break;
        at = end + 1;
    }
    std::string out(pattern.substr(0, at));
    out += kBudgetCallout;
    out += pattern.substr(at);
    return out;
}

std::string EngineMessage(int code) {
    PCRE2_UCHAR buffer[256];
    int n = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (n < 0) return "regular expression error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
}

// Match settings shared by all searches of a thread.
struct MatchResources {
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_jit_stack* jitStack = pcre2_jit_stack_create(64 * 1024, kJitStackMax, nullptr);
    pcre2_match_data* data = pcre2_match_data_create(Regex::kGroups, nullptr);

    MatchResources() {
        pcre2_set_match_limit(context, kMatchLimit);
        pcre2_set_depth_limit(context, kDepthLimit);
        pcre2_set_heap_limit(context, kHeapLimitKiB);
        if (jitStack) pcre2_jit_stack_assign(context, nullptr, jitStack);
    }
    ~MatchResources() {
        pcre2_match_data_free(data);
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(context);
    }
};

MatchResources& Resources() {
    thread_local MatchResources resources;
    return resources;
}

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsGbkTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

// Whether a two-byte GBK character starts at `i`. Scanned from the left, so a second byte is
// never taken for the first byte of the next character.
bool WideAt(std::string_view s, size_t i) {
    return i + 1 < s.size() && IsGbkLead(static_cast<unsigned char>(s[i])) &&
           IsGbkTrail(static_cast<unsigned char>(s[i + 1]));
}

// Copies the GBK character at `i`. A second byte in the ASCII range that is punctuation ("|" in
// 東, "\" in 乗) would act on the expression; escaped, it stays a byte of its character.
void CopyWide(std::string_view s, size_t i, std::string& out) {
    char trail = s[i + 1];
    bool letter = (trail >= 'A' && trail <= 'Z') || (trail >= 'a' && trail <= 'z');
    out += s[i];
    if (static_cast<unsigned char>(trail) <= 0x7E && !letter) out += '\\';
    out += trail;
}

// "\Q" at `i`: everything up to "\E" is taken literally, so only a second byte "\" needs care:
// it would end the quote when an "E" follows, and is therefore put outside the quote.
size_t CopyQuoted(std::string_view s, size_t i, std::string& out) {
    out += "\\Q";
    size_t j = i + 2;
    while (j < s.size()) {
        if (WideAt(s, j)) {
            out += s[j];
            out += s[j + 1] == '\\' ? std::string_view("\\E\\\\\\Q") : s.substr(j + 1, 1);
            j += 2;
        } else if (s.substr(j, 2) == "\\E") {
            out += "\\E";
            return j + 2;
        } else {
            out += s[j++];
        }
    }
    return j;
}

// Copies one item at `i`: a GBK character, an escape with what it escapes, a quote or a byte.
// Returns the index after it.
size_t CopyItem(std::string_view s, size_t i, std::string& out) {
    if (WideAt(s, i)) {
        CopyWide(s, i, out);
        return i + 2;
    }
    if (s[i] != '\\' || i + 1 >= s.size()) {
        out += s[i];
        return i + 1;
    }
    if (s[i + 1] == 'Q') return CopyQuoted(s, i, out);
    out += '\\';
    if (WideAt(s, i + 1)) {
        CopyWide(s, i + 1, out);
        return i + 3;
    }
    out += s[i + 1];
    return i + 2;
}

// Copies the character class that starts at `i` ("["); returns the index after it.
size_t CopyClass(std::string_view s, size_t i, std::string& out) {
    size_t j = i + 1;
    out += '[';
    if (j < s.size() && s[j] == '^') out += s[j++];
    if (j < s.size() && s[j] == ']') out += s[j++];  // a leading "]" is a literal
    while (j < s.size() && s[j] != ']') {
        if (s[j] == '[' && j + 1 < s.size() && s[j + 1] == ':') {
            size_t end = s.find(":]", j + 2);
            size_t stop = end == std::string_view::npos ? j + 1 : end + 2;
            out.append(s.substr(j, stop - j));
            j = stop;
        } else {
            j = CopyItem(s, j, out);
        }
    }
    if (j < s.size()) out += s[j++];
    return j;
}

// Rewrites one option group "(?" letters (")" or ":") if it uses "g"; `i` is at "(".
// Returns the length consumed, 0 when the group is left alone.
size_t RewriteOptionGroup(std::string_view s, size_t i, std::string& out) {
    size_t j = i + 2;
    std::string on, off;
    bool negative = false, hasG = false;
    for (; j < s.size(); ++j) {
        char c = s[j];
        if (c == ')' || c == ':') break;
        if (c == '-') {
            if (negative) return 0;
            negative = true;
        } else if (c == 'g') {
            hasG = true;
            (negative ? on : off) += 'U';  // greedy on = ungreedy off
        } else if (std::string_view("imnsxJU").find(c) != std::string_view::npos) {
            (negative ? off : on) += c;
        } else {
            return 0;
        }
    }
    if (!hasG || j >= s.size()) return 0;
    out += "(?" + on + (off.empty() ? "" : "-" + off) + s[j];
    return j + 1 - i;
}

}  // namespace

std::string TranslateExpression(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '[') {
            i = CopyClass(s, i, out);
        } else if (s.substr(i, 2) == "(?") {
            size_t used = RewriteOptionGroup(s, i, out);
            if (used == 0) {
                out += "(?";
                used = 2;
            }
            i += used;
        } else {
            i = CopyItem(s, i, out);
        }
    }
    return out;
}

namespace {

// The offset in the expression that the engine's offset in the pattern it was given stands
// for: the shortest start of the expression whose translation reaches that far (a translation
// only grows as the expression does).
size_t ExpressionOffset(std::string_view expression, size_t patternOffset) {
    std::string translated = TranslateExpression(expression);
    std::string withCallout = WithBudgetCallout(translated);
    const size_t at = withCallout.find(kBudgetCallout);
    if (patternOffset > at) {
        patternOffset = patternOffset >= at + kBudgetCallout.size()
                            ? patternOffset - kBudgetCallout.size()
                            : at;
    }
    size_t low = 0, high = expression.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (TranslateExpression(expression.substr(0, mid)).size() >= patternOffset) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

pcre2_code* Compile(const std::string& pattern, int& error, PCRE2_SIZE& offset) {
    return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                         PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP,
                         &error, &offset, nullptr);
}

}  // namespace

std::optional<RegexCompileError> CompileError(std::string_view expression) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = Compile(WithBudgetCallout(TranslateExpression(expression)), error, offset);
    if (code) {
        pcre2_code_free(code);
        return std::nullopt;
    }
    return RegexCompileError{error, EngineMessage(error), ExpressionOffset(expression, offset)};
}

struct Regex::Impl {
    pcre2_code* code = nullptr;
    ~Impl() { pcre2_code_free(code); }
};

Regex::Regex(std::string_view expression) : m_impl(std::make_unique<Impl>()) {
    std::string pattern = WithBudgetCallout(TranslateExpression(expression));
    int error = 0;
    PCRE2_SIZE offset = 0;
    m_impl->code = Compile(pattern, error, offset);
    if (!m_impl->code) throw RegexError(EngineMessage(error));
    pcre2_jit_compile(m_impl->code, PCRE2_JIT_COMPLETE);  // the interpreter serves without it
}

Regex::~Regex() = default;

// One search from `offset`; JIT first, the interpreter when the JIT stack runs out.
int Regex::Search(std::string_view subject, size_t offset, void* budget) const {
    MatchResources& res = Resources();
    pcre2_set_callout(res.context, CheckDeadline, budget);
    auto run = [&](uint32_t options) {
        return pcre2_match(m_impl->code, reinterpret_cast<PCRE2_SPTR>(subject.data()),
                           subject.size(), offset, options, res.data, res.context);
    };
    int rc = run(0);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) rc = run(PCRE2_NO_JIT);
    if (rc < 0 && rc != PCRE2_ERROR_NOMATCH) throw RegexError(EngineMessage(rc));
    return rc;
}

std::optional<std::string> Regex::FirstMatchGroup(std::string_view subject, int group) const {
    // One budget for both runs: the interpreter's retry does not start the clock again.
    Budget budget{std::chrono::steady_clock::now() + kSearchBudget};
    const int rc = Search(subject, 0, &budget);
    if (rc == PCRE2_ERROR_NOMATCH) return std::nullopt;
    int captured = rc == 0 ? kGroups : rc;  // 0: more groups than the vector keeps
    if (group < 0 || group >= kGroups || group >= captured) return std::string();
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer(Resources().data);
    PCRE2_SIZE start = ov[2 * group], end = ov[2 * group + 1];
    if (start == PCRE2_UNSET || end < start) return std::string();
    return std::string(subject.substr(start, end - start));
}

std::string Regex::RemoveAll(std::string_view subject) const {
    Budget budget{std::chrono::steady_clock::now() + kSearchBudget};
    std::string kept;
    size_t from = 0;  // first byte not yet copied
    size_t at = 0;    // where the next search starts
    while (at <= subject.size() && Search(subject, at, &budget) != PCRE2_ERROR_NOMATCH) {
        PCRE2_SIZE* ov = pcre2_get_ovector_pointer(Resources().data);
        const size_t start = ov[0], end = std::max<size_t>(ov[1], ov[0]);
        kept.append(subject.substr(from, start - from));
        from = end;
        // An empty match removes nothing: step over one character.
        at = end > start ? end : end + (end < subject.size() ? (WideAt(subject, end) ? 2 : 1) : 1);
    }
    if (from < subject.size()) kept.append(subject.substr(from));
    return kept;
}

}  // namespace nuvaro
