#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/log_file_reader.h"

namespace nuvaro {

// What one log entry tells.
enum class LogEvent { NothingFound, Repeat, Change, Error, DeliveryOk, DeliveryFailed };

// The three logs the viewer reads.
enum class LogSource : uint8_t { Monitor, Error, Send };

// One entry of the monitoring, error or send log, as the user reads it (texts UTF-8, control
// characters in the visible form the logs write them in).
struct LogEntry {
    std::string time;     // the date-time text as written
    long long order = 0;  // sortable form of the time (yyyymmddHHMMSS)
    std::string window;   // window name ("" when the line names none)
    std::string slot;     // slot number when the line names it
    LogEvent event = LogEvent::NothingFound;
    std::string text;      // the found text, the error, or recipient and reply
    std::string previous;  // a change: the found text of the same window's change before it
    LogSource source = LogSource::Monitor;
    uint64_t offset = 0;  // where its line starts in its file
};

// The Chinese name of an event as the viewer shows it.
const char* EventName(LogEvent event);

// The fields of a monitoring-log entry after its date-time, "[X][F]text[W]" (GBK, as
// written). The fixed text is the last one in the entry, so a found text cannot pass one of
// its own for it.
struct MonitorFields {
    LogEvent event;
    std::string_view marker, found, window;
};
std::optional<MonitorFields> ParseMonitorFields(std::string_view body);

// Entries of a log's lines (GBK), in file order. The program writes each entry on one line;
// older versions wrote a found text's line breaks as they were, so a line continues the entry
// before it when it does not begin with a date-time, or when that entry is not yet whole (its
// layout not complete). Lines that fit no layout are kept as they are, so nothing of a log is
// hidden. `windowOfSlot` names the window of a slot number (the send log names only slots).
// Unless `atFileStart`, leading lines that continue an entry begun before them make no entry;
// `unused`, when given, receives how many they are (all lines when no entry begins).
using WindowOfSlot = std::function<std::string(std::string_view)>;
std::vector<LogEntry> ParseLogLines(LogSource source, const std::vector<LogLine>& lines,
                                    const WindowOfSlot& windowOfSlot, bool atFileStart = true,
                                    size_t* unused = nullptr);

// The same over a whole file's text (CR LF lines).
std::vector<LogEntry> ParseMonitorLog(std::string_view gbk);
std::vector<LogEntry> ParseErrorLog(std::string_view gbk);
std::vector<LogEntry> ParseSendLog(std::string_view gbk, const WindowOfSlot& windowOfSlot);

// All entries, newest first; entries of the same second keep their files' order, reversed.
std::vector<LogEntry> MergeNewestFirst(std::vector<std::vector<LogEntry>> logs);

// Whether the entry is of `window` ("" for all) and one of its texts holds `search` (UTF-8,
// "" for all).
bool EntryMatches(const LogEntry& entry, std::string_view window, std::string_view search);
// The indices of the entries that match.
std::vector<size_t> FilterEntries(const std::vector<LogEntry>& entries, std::string_view window,
                                  std::string_view search);

}  // namespace nuvaro
