#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// Log names: the match log Log/log.txt, the monitoring log Log/informlog.txt and the error log
// Log/errorlog.txt (ticks that ended in an error).
inline constexpr std::string_view kMatchLog = "log";
inline constexpr std::string_view kMonitorLog = "informlog";
inline constexpr std::string_view kErrorLog = "errorlog";
inline constexpr std::string_view kSendLog = "sendlog";

// Appends `line` and CR LF to Log/<logName>.txt in the executable's folder, creating the
// folder and the file when missing. Never fails (see AppendLogLine).
void WriteLog(const GbkText& line, std::string_view logName);

// Appends `line` and CR LF to Log/<fileName> in `folder` (both found without regard to letter
// case, the folder created when missing), whole or not at all, in turn with the program's other
// writes (write_queue). Never fails: a line that cannot be written is counted, and once a line
// of that folder is written again, Log/errorlog.txt gets a note of how many lines of which log
// were lost.
void AppendLogLine(const std::string& folder, std::string_view fileName, const GbkText& line);

// Full path of a log file (the folder and file found without regard to letter case).
std::string LogFilePath(std::string_view logName);

// The error log's line layouts. D is the date-time text, S the slot number, W the window name
// (UTF-8, as the other texts given); the lines are GBK. Texts of pages, servers or the user are
// written with EscapeLogText.
namespace loglines {
// D "[" S "][" W "]" message: a tick that ended in an error.
GbkText TickError(std::string_view d, std::string_view s, std::string_view w,
                  std::string_view message);
// The same with the window name and the message as GBK bytes (kept byte for byte).
GbkText TickError(std::string_view d, std::string_view s, const GbkText& w, const GbkText& message);
// Error log: `count` lines of log `logName` could not be written.
GbkText LinesLost(std::string_view d, int count, std::string_view logName);
// The pieces (bytes) joined into one line.
std::string Join(std::initializer_list<std::string_view> pieces);
}  // namespace loglines

}  // namespace nuvaro
