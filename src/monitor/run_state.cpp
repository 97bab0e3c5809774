#include "monitor/run_state.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/sha256.h"
#include "core/state_file.h"
#include "core/text_util.h"
#include "core/write_queue.h"
#include "monitor/monitor_log.h"

namespace nuvaro {
namespace {

constexpr std::string_view kStart = "Start";
constexpr std::string_view kResume = "Resume";
constexpr std::string_view kMonitoring = "Monitoring";
constexpr std::string_view kLastMatch = "LastMatch";
constexpr std::string_view kBytes = "LastMatchBytes";
constexpr std::string_view kDigest = "LastMatchSha256";
constexpr std::string_view kNotifiedAt = "NotifiedAt";
constexpr std::string_view kRuleRegion = "RuleRegion";
constexpr std::string_view kRuleMark = "RuleMark";

const SavedMatch kNoMatch{};
const NumRuleState kNoRule{};

std::string NumberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

NumRuleState ReadRule(const IniDocument& doc, const std::string& section) {
    NumRuleState rule;
    rule.inRegion = doc.Read(section, kRuleRegion).value_or("") == "1";
    const std::string mark = doc.Read(section, kRuleMark).value_or("");
    char* end = nullptr;
    const double value = std::strtod(mark.c_str(), &end);
    if (!mark.empty() && end == mark.c_str() + mark.size() && std::isfinite(value)) {
        rule.mark = value;
    }
    return rule;
}

int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// What pages showed is the user's business only.
constexpr mode_t kFileMode = 0600;

}  // namespace

SavedMatch SavedMatch::Of(const GbkText& found) {
    SavedMatch saved{
        GbkText::FromBytes(std::string(GbkPrefix(found.view(), kKeptBytes))), found.size(), {}};
    if (saved.text.size() < found.size()) saved.digest = Sha256Hex(found.view());
    return saved;
}

bool SavedMatch::SameAs(const GbkText& found) const {
    if (Whole()) return found == text;
    return found.size() == size && found.view().substr(0, text.size()) == text.view() &&
           Sha256Hex(found.view()) == digest;
}

Verdict JudgeWithSaved(const GbkText& found, const GbkText& lastMatch, const SavedMatch& saved) {
    if (found.empty() || saved.Whole() || lastMatch != saved.text) return Judge(found, lastMatch);
    return saved.SameAs(found) ? Verdict::Repeat : Verdict::Change;
}

RunState::RunState(std::string path) : m_path(std::move(path)) { Load(); }

RunState::Hold::~Hold() {
    if (--m_state.m_holds == 0 && m_state.m_dirty) m_state.Save();
}

RunState::Slot* RunState::At(int slot) {
    return slot >= 1 && slot <= kSlots ? &m_slots[slot - 1] : nullptr;
}

const RunState::Slot* RunState::At(int slot) const { return const_cast<RunState*>(this)->At(slot); }

void RunState::Load() {
    write_queue::Flush();  // what this process handed off is read back
    StateFileReader file(m_path, kMaxFileBytes, kSlots + 1);
    const IniDocument& doc = file.Document();
    m_resume = doc.Read(kStart, kResume).value_or("1") != "0";
    for (int slot = 1; slot <= kSlots; ++slot) {
        const std::string section = std::to_string(slot);
        Slot& s = *At(slot);
        s.monitoring = doc.Read(section, kMonitoring).value_or("") == "1";
        s.rule = ReadRule(doc, section);
        SavedMatch& m = s.lastMatch;
        m.text = doc.ReadGbk(section, kLastMatch).value_or(GbkText());
        m.size = m.text.size();
        const int64_t bytes = file.Number(section, kBytes.data(), 0, INT64_MAX, 0);
        std::string digest = doc.Read(section, kDigest).value_or("");
        // A cut text counts only with its length and digest; without them it is taken whole.
        if (bytes > static_cast<int64_t>(m.text.size()) && digest.size() == 64) {
            m.size = static_cast<size_t>(bytes);
            m.digest = digest;
        }
        s.notifiedAt = file.Number(section, kNotifiedAt.data(), 0, kLatestMillisecond, 0);
    }
    DropUnknownSections(file);
    file.Report();
}

void RunState::DropUnknownSections(StateFileReader& file) {
    for (const std::string& section : file.Document().SectionNames()) {
        const auto slot = ParseInteger(section);
        const bool known =
            EqualsIgnoreAsciiCase(section, kStart) || (slot && *slot >= 1 && *slot <= kSlots);
        if (!known || (slot && std::to_string(*slot) != section)) file.Drop("[" + section + "]");
    }
}

std::string RunState::Serialize() const {
    IniWriter out;
    out.Section(kStart);
    out.Write(kResume, m_resume ? "1" : "0");
    for (int slot = 1; slot <= kSlots; ++slot) {
        const Slot& s = *At(slot);
        if (!s.monitoring && s.lastMatch.size == 0 && s.rule == kNoRule && s.notifiedAt == 0) {
            continue;
        }
        out.Section(std::to_string(slot));
        out.Write(kMonitoring, s.monitoring ? "1" : "0");
        if (s.rule.inRegion) out.Write(kRuleRegion, "1");
        if (s.rule.mark) out.Write(kRuleMark, NumberText(*s.rule.mark));
        if (s.notifiedAt != 0) out.Write(kNotifiedAt, std::to_string(s.notifiedAt));
        if (s.lastMatch.size == 0) continue;
        out.WriteExactGbk(kLastMatch, s.lastMatch.text);
        if (s.lastMatch.Whole()) continue;
        out.Write(kBytes, std::to_string(s.lastMatch.size));
        out.Write(kDigest, s.lastMatch.digest);
    }
    return out.Text();
}

void RunState::Save(bool raise) {
    if (m_holds > 0 && !raise) {
        m_dirty = true;
        return;
    }
    m_dirty = false;
    if (raise) {
        write_queue::Flush();  // the writes handed off before go first
        ReplaceFileAtomically(m_path, Serialize(), kFileMode);
        *m_failing = false;
        return;
    }
    write_queue::Replace(m_path, Serialize(), kFileMode, m_failing);
}

void RunState::SetResumeOnStart(bool on) {
    const bool was = m_resume;
    m_resume = on;
    try {
        Save(true);
    } catch (...) {
        m_resume = was;
        throw;
    }
}

bool RunState::WasMonitoring(int slot) const {
    const Slot* s = At(slot);
    return s && s->monitoring;
}

void RunState::SetMonitoring(int slot, bool on) {
    Slot* s = At(slot);
    if (!s || s->monitoring == on) return;
    s->monitoring = on;
    Save();
}

void RunState::ForgetMonitoring() {
    Hold hold(*this);
    for (int slot = 1; slot <= kSlots; ++slot) SetMonitoring(slot, false);
}

const SavedMatch& RunState::LastMatch(int slot) const {
    const Slot* s = At(slot);
    return s ? s->lastMatch : kNoMatch;
}

void RunState::SetLastMatch(int slot, const GbkText& found) {
    Slot* s = At(slot);
    if (!s) return;
    s->lastMatch = SavedMatch::Of(found);
    s->notifiedAt = NowMilliseconds();
    Save();
}

void RunState::ClearLastMatch(int slot) {
    Slot* s = At(slot);
    if (!s) return;
    // Stamped even when empty: a notice still pending from before is older than the slot.
    s->notifiedAt = NowMilliseconds();
    s->lastMatch = {};
    Save();
}

int64_t RunState::NotifiedAt(int slot) const {
    const Slot* s = At(slot);
    return s ? s->notifiedAt : 0;
}

void RunState::AdoptLastMatch(int slot, const SavedMatch& match, int64_t at) {
    Slot* s = At(slot);
    if (!s) return;
    s->lastMatch = match;
    s->notifiedAt = at;
    Save();
}

const NumRuleState& RunState::RuleState(int slot) const {
    const Slot* s = At(slot);
    return s ? s->rule : kNoRule;
}

void RunState::SetRuleState(int slot, const NumRuleState& state) {
    Slot* s = At(slot);
    if (!s || s->rule == state) return;
    s->rule = state;
    Save();
}

}  // namespace nuvaro
