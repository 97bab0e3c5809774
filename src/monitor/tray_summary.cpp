#include "monitor/tray_summary.h"

#include "core/texts.h"

namespace nuvaro {
namespace {

constexpr size_t kNameChars = 16;

std::string Format(const char* format, const std::string& value) {
    std::string text = format;
    const size_t at = text.find('%');
    return text.replace(at, 2, value);
}

// A name cut after `kNameChars` characters (UTF-8 sequences stay whole).
std::string ShortName(const std::string& name) {
    size_t chars = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(name[i]) & 0xC0) != 0x80;
        if (starts && chars++ == kNameChars) return name.substr(0, i) + "…";
    }
    return name;
}

}  // namespace

TrayMark MarkOf(const TraySummary& summary) {
    if (!summary.failing.empty() || summary.failedNotices > 0) return TrayMark::Failing;
    if (!summary.unseen.empty()) return TrayMark::ChangeUnseen;
    return TrayMark::AllWell;
}

std::string NameList(const std::vector<std::string>& names, size_t shown) {
    std::string list;
    for (size_t i = 0; i < names.size() && i < shown; ++i) {
        if (i > 0) list += text::kNameSeparator;
        list += ShortName(names[i]);
    }
    if (names.size() > shown) list += Format(text::kTrayMoreNames, std::to_string(names.size()));
    return list;
}

std::string TrayWindowLines(const TraySummary& s) {
    std::string lines = Format(text::kTrayMonitoring, std::to_string(s.monitoring));
    lines += "\n";
    lines += s.failing.empty() ? Format(text::kTrayFailing, "0")
                               : Format(text::kTrayFailingNames, NameList(s.failing));
    if (!s.unseen.empty()) lines += "\n" + Format(text::kTrayUnseenNames, NameList(s.unseen));
    return lines;
}

}  // namespace nuvaro
