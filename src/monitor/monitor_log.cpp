#include "monitor/monitor_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/texts.h"

namespace nuvaro {

std::string LogFilePath(std::string_view logName) {
    return ResolveName(ExeDirFile("Log"), std::string(logName) + ".txt");
}

void AppendLogLine(const std::string& folder, std::string_view fileName, std::string_view line) {
    const std::string logDir = ResolveName(folder, "Log");
    mkdir(logDir.c_str(), 0755);  // outcome not needed: the open below tells
    int fd = open(ResolveName(logDir, fileName).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                  0644);
    if (fd < 0) return;
    std::string data(line);
    data += "\r\n";
    std::string_view rest = data;
    while (!rest.empty()) {
        ssize_t n = write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        rest.remove_prefix(static_cast<size_t>(n));
    }
    close(fd);
}

void WriteLog(std::string_view line, std::string_view logName) {
    AppendLogLine(ExeDir(), std::string(logName) + ".txt", line);
}

namespace loglines {
namespace {

std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string out;
    size_t size = 0;
    for (auto piece : pieces) size += piece.size();
    out.reserve(size);
    for (auto piece : pieces) out += piece;
    return out;
}

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

}  // namespace

std::string RegexMatch(std::string_view d, std::string_view s, std::string_view w,
                       std::string_view f, std::string_view e) {
    return Join({d, "=", s, "=", w, "=", f, "==", e});
}

std::string KeywordMatch(std::string_view d, std::string_view s, std::string_view w,
                         std::string_view e) {
    return Join({d, "=", s, "=", w, "=", text::kKeywordOk, "==", e});
}

std::string NothingFound(std::string_view d, std::string_view w) {
    return Join({d, "[0][]", NothingText(), "[", w, "]"});
}

std::string RepeatSkipped(std::string_view d, std::string_view x, std::string_view f,
                          std::string_view w) {
    return Join({d, "[", x, "][", f, "]", RepeatText(), "[", w, "]"});
}

std::string ChangeNotified(std::string_view d, std::string_view x, std::string_view f,
                           std::string_view w) {
    return Join({d, "[", x, "][", f, "]", ChangeText(), "[", w, "]"});
}

std::string TickError(std::string_view d, std::string_view s, std::string_view w,
                      std::string_view message) {
    return Join({d, "[", s, "][", w, "]", message});
}

}  // namespace loglines
}  // namespace nuvaro
