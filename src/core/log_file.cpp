#include "core/log_file.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

#include "core/append_file.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/system.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "core/write_queue.h"

namespace nuvaro {

std::string LogFilePath(std::string_view logName) {
    return ResolveName(ExeDirFile("Log"), std::string(logName) + ".txt");
}

namespace {

// Lines that could not be written, by Log folder and log name, until the error log has a note.
class LostLines {
  public:
    void Add(const std::string& logDir, std::string_view logName) {
        std::lock_guard lock(m_mutex);
        ++m_counts[{logDir, std::string(logName)}];
    }

    // Writes a note for each log of `logDir` that lost lines; a note that cannot be written
    // is tried again next time.
    void Report(const std::string& logDir) {
        std::lock_guard lock(m_mutex);
        for (auto it = m_counts.lower_bound({logDir, ""});
             it != m_counts.end() && it->first.first == logDir;) {
            GbkText note = loglines::LinesLost(NowText(), it->second, it->first.second);
            bool written = AppendWhole(ResolveName(logDir, std::string(kErrorLog) + ".txt"),
                                       note.bytes() + "\r\n");
            it = written ? m_counts.erase(it) : std::next(it);
        }
    }

  private:
    std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, int> m_counts;
};

LostLines& Lost() {
    static LostLines lost;
    return lost;
}

std::string_view LogNameOf(std::string_view fileName) {
    if (fileName.size() > 4 &&
        EqualsIgnoreAsciiCase(fileName.substr(fileName.size() - 4), ".txt")) {
        fileName.remove_suffix(4);
    }
    return fileName;
}

}  // namespace

namespace {

void AppendNow(const std::string& folder, std::string_view fileName, const GbkText& line) {
    const std::string logDir = ResolveName(folder, "Log");
    MakeFolder(logDir);  // outcome not needed: the write below tells
    std::string data = line.bytes();
    data += "\r\n";
    if (!AppendWhole(ResolveName(logDir, fileName), data)) {
        Lost().Add(logDir, LogNameOf(fileName));
        return;
    }
    Lost().Report(logDir);
}

}  // namespace

void AppendLogLine(const std::string& folder, std::string_view fileName, const GbkText& line) {
    write_queue::Hand(
        [folder, name = std::string(fileName), line] { AppendNow(folder, name, line); });
}

void WriteLog(const GbkText& line, std::string_view logName) {
    AppendLogLine(ExeDir(), std::string(logName) + ".txt", line);
}

namespace loglines {
namespace {

// A text of the user or the program (UTF-8), as one piece of one line.
std::string Field(std::string_view utf8) { return EscapeLogText(ToGbk(utf8).view()); }

}  // namespace

std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string out;
    size_t size = 0;
    for (auto piece : pieces) size += piece.size();
    out.reserve(size);
    for (auto piece : pieces) out += piece;
    return out;
}

GbkText TickError(std::string_view d, std::string_view s, std::string_view w,
                  std::string_view message) {
    return GbkText::FromBytes(Join({d, "[", s, "][", Field(w), "]", Field(message)}));
}

GbkText TickError(std::string_view d, std::string_view s, const GbkText& w,
                  const GbkText& message) {
    return GbkText::FromBytes(
        Join({d, "[", s, "][", EscapeLogText(w.view()), "]", EscapeLogText(message.view())}));
}

GbkText LinesLost(std::string_view d, int count, std::string_view logName) {
    char text[256];
    std::snprintf(text, sizeof text, text::kLogLinesLost, count, std::string(logName).c_str());
    return GbkText::FromBytes(Join({d, "[0][]", ToGbk(text).view()}));
}

}  // namespace loglines
}  // namespace nuvaro
