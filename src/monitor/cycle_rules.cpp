#include "monitor/cycle_rules.h"

#include "config/config_table.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "monitor/matcher.h"
#include "monitor/monitor_log.h"

namespace nuvaro {

CycleTraits CycleTraits::For(int windowNumber) {
    if (windowNumber == 0) {
        return {true, text::kOpenPageFirstDefault, text::kTestNoMatchDefault,
                text::kTestMatchDefault};
    }
    return {false, text::kOpenPageFirstAdded, text::kTestNoMatchAdded, text::kTestMatchAdded};
}

std::optional<int> RefreshMinutes(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    auto minutes = ParseInteger(text);
    if (!minutes || *minutes < 1 || *minutes > kMaxRefreshMinutes) return std::nullopt;
    return static_cast<int>(*minutes);
}

std::string StartedMessage(const TConfig& slot, std::string_view minutes) {
    return slot.WindowName + ":" + slot.url + text::kStartedMiddle + "\r" + text::kStartedKeyword +
           slot.Regx + text::kStartedRefresh + std::string(minutes) + text::kStartedMinutes;
}

std::string StoppedMessage(const TConfig& slot) {
    return slot.WindowName + ":" + slot.url + text::kStopped;
}

GbkText FindInPage(TConfigTable& configs, const CycleTraits& traits, std::string_view slot,
                   const GbkText& page) {
    Condition condition = GetCondition(configs, slot);
    // Added windows do not search without an expression; the default page's search returns
    // the empty text at once all the same.
    if (!traits.isDefault && condition.expression.empty()) return {};
    GbkText found = MatchKeyword(page, condition.expression, condition.group, slot,
                                 configs.BySlotText(slot).WindowName);
    if (traits.isDefault && found.view() == "0") found.clear();
    return found;
}

Verdict Judge(const GbkText& found, const GbkText& lastMatch) {
    if (found.empty()) return Verdict::NothingFound;
    return found == lastMatch ? Verdict::Repeat : Verdict::Change;
}

void LogVerdict(Verdict verdict, const CycleTraits& traits, std::string_view slot,
                const GbkText& found, std::string_view windowName) {
    const std::string now = NowText();
    switch (verdict) {
        case Verdict::NothingFound:
            WriteLog(loglines::NothingFound(now, windowName), kMonitorLog);
            break;
        case Verdict::Repeat:
            WriteLog(loglines::RepeatSkipped(now, traits.Marker(slot), found, windowName),
                     kMonitorLog);
            break;
        case Verdict::Change:
            WriteLog(loglines::ChangeNotified(now, traits.Marker(slot), found, windowName),
                     kMonitorLog);
            break;
        case Verdict::NoNumber:
        case Verdict::NoElement:
        case Verdict::NotDue:
            WriteLog(loglines::Unjudged(now, traits.Marker(slot), verdict == Verdict::NoElement,
                                        verdict == Verdict::NotDue, found, windowName),
                     kMonitorLog);
            break;
    }
}

}  // namespace nuvaro
