#pragma once

#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// The outcome of one delivery to one recipient, for Log/sendlog.txt.
struct Delivery {
    std::string channel;  // "SMS" or "EMAIL"
    std::string slot;     // slot number, "test", or "?" when the record names no slot
    GbkText recipient;    // number or address as sent
    bool ok = false;
    GbkText detail;   // the server's reply, or the error
    int attempt = 0;  // the try, counted from 1; 0 when not counted
};

inline constexpr std::string_view kSmsChannel = "SMS";
inline constexpr std::string_view kEmailChannel = "EMAIL";
inline constexpr std::string_view kProgramChannel = "PROGRAM";
inline constexpr std::string_view kPushChannel = "PUSH";

// "<date-time> [<channel>][<slot>][<recipient>][try <n>] OK: <reply>" or "... FAILED: <error>"
// ("[try <n>]" only when the try is counted). Control characters of the recipient and the
// detail are written as the monitoring log writes them (\r, \n, \xHH); a very long detail
// is cut.
GbkText SendLogLine(std::string_view dateTime, const Delivery& delivery);

// Appends the line and CR LF to Log/sendlog.txt in `folder`, creating Log when missing. Never
// fails: a line that cannot be written is lost.
void AppendSendLog(const std::string& folder, const GbkText& line);

}  // namespace nuvaro
