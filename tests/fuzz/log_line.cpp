// Log lines round trip. Input: a found text, NUL, a window name (GBK, any bytes).

#include <algorithm>

#include "core/log_escape.h"
#include "core/text_cut.h"
#include "fuzz/fuzz_support.h"
#include "monitor/log_history.h"
#include "monitor/monitor_log.h"

using namespace nuvaro;

namespace {

constexpr std::string_view kTime = "2026-12-7 9:05:03";

bool HasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = fuzz::Parts(data, size, 2);
    const std::string& found = parts[0];
    const std::string& window = parts[1];  // UTF-8, as the settings give it
    const std::string windowGbk = ToGbk(window).bytes();

    const std::string escaped = EscapeLogText(found);
    FUZZ_CHECK(!HasControl(escaped));
    FUZZ_CHECK(UnescapeLogText(escaped) == found);

    // Any found text -> one log line -> one viewer entry with the same text.
    const std::string change =
        loglines::ChangeNotified(kTime, "2", GbkText::FromBytes(found), window).bytes();
    const std::string nothing = loglines::NothingFound(kTime, window).bytes();
    FUZZ_CHECK(!HasControl(change));
    auto fields = ParseMonitorFields(std::string_view(change).substr(kTime.size()));
    FUZZ_CHECK(fields.has_value());
    if (windowGbk.find(']') == std::string::npos) {
        FUZZ_CHECK(fields->event == LogEvent::Change);
        FUZZ_CHECK(fields->marker == "2");
        FUZZ_CHECK(UnescapeLogText(fields->found) == CutText(GbkText::FromBytes(found)).bytes());
        FUZZ_CHECK(UnescapeLogText(fields->window) == windowGbk);
        // Nothing a page writes makes an entry of its own or changes another one.
        auto entries = ParseMonitorLog(change + "\r\n" + nothing + "\r\n");
        FUZZ_CHECK(entries.size() == 2);
        FUZZ_CHECK(entries[0].event == LogEvent::Change);
        FUZZ_CHECK(entries[1].event == LogEvent::NothingFound);
        FUZZ_CHECK(entries[1].window == entries[0].window);
    }
    return 0;
}
