#include "monitor/window_status_text.h"

#include <ctime>

#include "core/condition_texts.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/site_texts.h"
#include "core/text_cut.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

constexpr size_t kShownChars = 60;

// A found text on one line, cut at a character boundary.
std::string Short(const GbkText& gbk) {
    std::string line = CutText(gbk, kShownChars).bytes();
    for (char& c : line) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';  // never a GBK trail byte
    }
    return ToUtf8(GbkText::FromBytes(ShowControls(line)));
}

std::string LastVerdictText(const WindowStatus& s) {
    switch (s.last) {
        case WindowStatus::Last::NothingFound:
            return text::kEventNothingFound;
        case WindowStatus::Last::Repeat:
            return std::string(text::kEventRepeat) + "：" + Short(s.lastFound);
        case WindowStatus::Last::Change:
            return std::string(text::kEventChange) + "：" + Short(s.lastFound);
        case WindowStatus::Last::Error:
            return text::kEventError;
        case WindowStatus::Last::NoNumber:
            return std::string(text::kNoNumber) + "：" + Short(s.lastFound);
        case WindowStatus::Last::NoElement:
            return text::kNoElement;
        case WindowStatus::Last::Waiting:
            return text::kSiteWait;
        case WindowStatus::Last::None:
            break;
    }
    return {};
}

}  // namespace

TabLook LookOf(const WindowStatus& status, bool unseenChange) {
    return {status.monitoring, unseenChange, status.last == WindowStatus::Last::Error};
}

int TabIconIndex(const TabLook& look) {
    return (look.running ? 4 : 0) + (look.unseenChange ? 2 : 0) + (look.failed ? 1 : 0);
}

std::string WallTimeText(WindowStatus::WallTime time) {
    std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&t, &local);
    return DateTimeText(local);
}

std::string StatusTip(const WindowStatus& s) {
    std::string tip = s.monitoring ? text::kTipMonitoring : text::kTipStopped;
    if (s.working) tip += text::kTipWorking;
    tip += "\n";
    tip += text::kTipLastCheck;
    tip += s.lastCheck ? WallTimeText(*s.lastCheck) + "  " + LastVerdictText(s) : text::kTipNotYet;
    if (s.waitUntil) {
        tip +=
            std::string("\n") + text::kSiteWait + text::kSiteWaitUntil + WallTimeText(*s.waitUntil);
    }
    if (s.monitoring && s.nextCheck) {
        tip += std::string("\n") + text::kTipNextCheck + WallTimeText(*s.nextCheck);
    }
    if (s.lastErrorTime) {
        tip += std::string("\n") + text::kTipLastError + WallTimeText(*s.lastErrorTime) + "  " +
               s.lastError;
        if (s.failuresInRow > 1) {
            std::string times = text::kTipFailuresInRow;
            times.replace(times.find("%d"), 2, std::to_string(s.failuresInRow));
            tip += times;
        }
    }
    return tip;
}

}  // namespace nuvaro
