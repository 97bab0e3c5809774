#include "notify/send_log.h"

#include "core/texts.h"
#include "monitor/monitor_log.h"

namespace nuvaro {
namespace {

constexpr size_t kMaxDetail = 500;

// One line, blanks collapsed, cut at a character boundary (GBK lead bytes keep their trail).
std::string OneLine(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size() && out.size() < kMaxDetail; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
        } else if (c == '\r' || c == '\n' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += text[i];
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (out.size() >= kMaxDetail) out += "...";
    return out;
}

}  // namespace

std::string SendLogLine(std::string_view dateTime, const Delivery& d) {
    std::string line(dateTime);
    line += " [" + d.channel + "][" + d.slot + "][" + OneLine(d.recipient) + "]";
    if (d.attempt > 0) line += "[try " + std::to_string(d.attempt) + "]";
    line += ' ';
    line += d.ok ? text::kSendOk : text::kSendFailed;
    std::string detail = OneLine(d.detail);
    if (!detail.empty()) line += ": " + detail;
    return line;
}

void AppendSendLog(const std::string& folder, std::string_view line) {
    AppendLogLine(folder, "sendlog.txt", line);
}

}  // namespace nuvaro
