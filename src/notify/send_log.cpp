#include "notify/send_log.h"

#include "core/log_escape.h"
#include "core/log_file.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

constexpr size_t kMaxDetail = 500;

// One piece of one line: cut, control characters written visibly.
std::string OneLine(const GbkText& text) {
    return EscapeLogText(
        CutText(GbkText::FromBytes(std::string(TrimControls(text.view()))), kMaxDetail).view());
}

}  // namespace

GbkText SendLogLine(std::string_view dateTime, const Delivery& d) {
    std::string line(dateTime);
    line += " [" + d.channel + "][" + d.slot + "][" + OneLine(d.recipient) + "]";
    if (d.attempt > 0) line += "[try " + std::to_string(d.attempt) + "]";
    line += ' ';
    line += d.ok ? text::kSendOk : text::kSendFailed;
    std::string detail = OneLine(d.detail);
    if (!detail.empty()) line += ": " + detail;
    return GbkText::FromBytes(std::move(line));
}

void AppendSendLog(const std::string& folder, const GbkText& line) {
    AppendLogLine(folder, "sendlog.txt", line);
}

}  // namespace nuvaro
