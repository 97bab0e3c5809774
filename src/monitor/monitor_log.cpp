#include "monitor/monitor_log.h"

#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"

namespace nuvaro {

namespace loglines {
namespace {

// The fixed texts, converted once.
const std::string& NothingText() {
    static const std::string s = Gbk(text::kLogNothingFound);
    return s;
}
const std::string& RepeatText() {
    static const std::string s = Gbk(text::kLogRepeat);
    return s;
}
const std::string& ChangeText() {
    static const std::string s = Gbk(text::kLogChange);
    return s;
}

// A text of the page, a server or the user, as one piece of one line.
std::string Field(std::string_view text) { return EscapeLogText(text); }
std::string Found(std::string_view found) { return EscapeLogText(CutText(found)); }

}  // namespace

std::string RegexMatch(std::string_view d, std::string_view s, std::string_view w,
                       std::string_view f, std::string_view e) {
    return Join({d, "=", s, "=", Field(w), "=", Found(f), "==", Field(e)});
}

std::string KeywordMatch(std::string_view d, std::string_view s, std::string_view w,
                         std::string_view e) {
    return Join({d, "=", s, "=", Field(w), "=", text::kKeywordOk, "==", Field(e)});
}

std::string NothingFound(std::string_view d, std::string_view w) {
    return Join({d, "[0][]", NothingText(), "[", Field(w), "]"});
}

std::string RepeatSkipped(std::string_view d, std::string_view x, std::string_view f,
                          std::string_view w) {
    return Join({d, "[", x, "][", Found(f), "]", RepeatText(), "[", Field(w), "]"});
}

std::string ChangeNotified(std::string_view d, std::string_view x, std::string_view f,
                           std::string_view w) {
    return Join({d, "[", x, "][", Found(f), "]", ChangeText(), "[", Field(w), "]"});
}

}  // namespace loglines
}  // namespace nuvaro
