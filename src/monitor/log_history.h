#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvaro {

// What one log entry tells.
enum class LogEvent { NothingFound, Repeat, Change, Error, DeliveryOk, DeliveryFailed };

// One entry of the monitoring, error or send log, as the user reads it (texts UTF-8).
struct LogEntry {
    std::string time;    // the date-time text as written
    long long order = 0; // sortable form of the time (yyyymmddHHMMSS)
    std::string window;  // window name ("" when the line names none)
    std::string slot;    // slot number when the line names it
    LogEvent event = LogEvent::NothingFound;
    std::string text;    // the found text, the error, or recipient and reply
};

// The Chinese name of an event as the viewer shows it.
const char* EventName(LogEvent event);

// Entries of each log's text (GBK, CR LF). An entry starts at a line that begins with a
// date-time; the lines up to the next one belong to it (a found text of several lines). Lines
// that fit no layout are kept as they are, so nothing of a log is hidden.
std::vector<LogEntry> ParseMonitorLog(std::string_view gbk);
std::vector<LogEntry> ParseErrorLog(std::string_view gbk);
// `windowOfSlot` names the window of a slot number (the send log names only slots).
std::vector<LogEntry> ParseSendLog(std::string_view gbk,
                                   const std::function<std::string(std::string_view)>& windowOfSlot);

// All entries, newest first; entries of the same second keep their files' order, reversed.
std::vector<LogEntry> MergeNewestFirst(std::vector<std::vector<LogEntry>> logs);

// The entries of `window` ("" for all) whose texts contain `search` (UTF-8, "" for all), as
// indices into `entries`.
std::vector<size_t> FilterEntries(const std::vector<LogEntry>& entries, std::string_view window,
                                  std::string_view search);

// The history of the three logs in the executable's Log folder.
std::vector<LogEntry> ReadLogHistory(
    const std::function<std::string(std::string_view)>& windowOfSlot);

}  // namespace nuvaro
