#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

class TConfig;
class TConfigTable;

// The few ways the default page (window 0) and the added windows (1..29) differ in their
// monitoring cycle, kept in one place.
struct CycleTraits {
    bool isDefault;
    const char* pageNeverOpened;  // UTF-8 texts of the manual test
    const char* testNoMatch;
    const char* testMatch;

    static CycleTraits For(int windowNumber);

    // The window marker of the repeat and change lines: "0" on the default page.
    std::string Marker(std::string_view slot) const { return isDefault ? "0" : std::string(slot); }
};

// The longest interval the timers keep: 35791 minutes (just under 25 days).
inline constexpr long long kMaxRefreshMinutes = 2147483647LL / 60000;

// Refresh minutes as typed (blanks around it allowed); nullopt for anything that is not a
// whole number from 1 to kMaxRefreshMinutes.
std::optional<int> RefreshMinutes(std::string_view text);
inline uint32_t IntervalMs(int minutes) { return static_cast<uint32_t>(minutes) * 60000u; }

// The messages of start and stop. `minutes` is shown as given.
std::string StartedMessage(const TConfig& slot, std::string_view minutes);
std::string StoppedMessage(const TConfig& slot);

// What the window's condition finds in the page text (steps of condition, match and the
// default page's "0"). Throws RegexError for an expression the engine refuses.
GbkText FindInPage(TConfigTable& configs, const CycleTraits& traits, std::string_view slot,
                   const GbkText& page);

// NoNumber, NoElement: the condition could not read what it judges (a failing tick, logged, not
// sent); NotDue: a number that its rule does not tell.
enum class Verdict { NothingFound, Repeat, Change, NoNumber, NoElement, NotDue };
Verdict Judge(const GbkText& found, const GbkText& lastMatch);

// The monitoring-log line of a verdict (`windowName` UTF-8).
void LogVerdict(Verdict verdict, const CycleTraits& traits, std::string_view slot,
                const GbkText& found, std::string_view windowName);

}  // namespace nuvaro
