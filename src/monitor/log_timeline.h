#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "monitor/log_file_reader.h"
#include "monitor/log_history.h"

namespace nuvaro {

// The monitoring, error and send logs as the log viewer shows them: one timeline, newest first,
// read from the files' ends (a log of any size opens at once), older parts on demand, and what
// is appended as it comes. Entries older than the oldest one that every log not yet read to its
// start still holds wait until more is read, so the timeline has no gaps. A change carries the
// found text of the same window's change before it. Reading runs in steps that work on copies
// of the readers (run them on another thread); Apply takes their result.
class LogTimeline {
  public:
    static constexpr size_t kLogs = 3;

    // A viewer left open for weeks keeps at most this many entries of a log: past it, the
    // oldest quarter is let go (and can be read again as older entries).
    static constexpr size_t kMaxEntriesPerLog = 100000;

    // The files of the monitoring, error and send logs.
    explicit LogTimeline(std::array<std::string, kLogs> paths,
                         size_t chunkBytes = LogFileReader::kChunkBytes,
                         size_t maxEntriesPerLog = kMaxEntriesPerLog);

    // What one reading step brought.
    struct Batch {
        bool older = false;  // read before what was held, else appended (or read anew)
        std::array<LogFileReader, kLogs> readers;
        std::array<std::vector<LogEntry>, kLogs> entries;  // in file order
        std::array<bool, kLogs> anew{};                    // the log was read from its end anew
    };
    using Step = std::function<Batch()>;
    // What was appended since the last step (the newest part of each log at first).
    Step ReadAppended(WindowOfSlot windowOfSlot) const;
    // The part of each log before what is held.
    Step ReadOlder(WindowOfSlot windowOfSlot) const;

    // How the rows changed: rows put before all others (new entries), rows put after all
    // others (older entries), or all rows made anew.
    struct Applied {
        size_t newRows = 0;
        size_t olderRows = 0;
        bool reset = false;
    };
    Applied Apply(Batch batch);

    // The shown rows are those of `window` ("" for all) with `search` in a text ("" for all).
    void SetFilter(std::string window, std::string search);
    size_t RowCount() const { return m_rows.size(); }
    const LogEntry& Row(size_t row) const { return At(m_rows[row]); }
    // The row of the entry whose line starts at `offset` of log `source`.
    std::optional<size_t> RowOf(LogSource source, uint64_t offset) const;

    // Entries in the timeline (before the filter).
    size_t EntryCount() const { return m_view.size(); }
    // Whether a log holds entries before those read.
    bool HasOlder() const;
    // Whether a log file changed since it was last read (a cheap look, for polling).
    bool FilesChanged() const;
    // The window names the entries read so far name.
    const std::set<std::string>& WindowNames() const { return m_windowNames; }

  private:
    struct Ref {
        LogSource source;
        int64_t id;  // position in its log's entries, counted from m_first
    };
    const LogEntry& At(Ref ref) const;
    Applied TakeOlder(std::array<std::vector<LogEntry>, kLogs>& read);
    Applied TakeAppended(std::array<std::vector<LogEntry>, kLogs>& read,
                         const std::array<bool, kLogs>& anew);
    // Puts appended entries before all others; how many of them are shown.
    size_t PutFirst(std::vector<std::pair<long long, Ref>> added);
    void LinkPrevious(std::deque<LogEntry>& entries, size_t from);
    long long Horizon() const;
    // Lets the oldest entries of a log that holds too many go; whether any went.
    bool Trim();
    // Puts the entries with `from` <= order < `to` after all others.
    size_t Extend(long long from, long long to);
    void Rebuild();

    std::array<LogFileReader, kLogs> m_readers;
    std::array<std::deque<LogEntry>, kLogs> m_entries;
    std::array<int64_t, kLogs> m_first{};
    size_t m_maxEntries;
    std::deque<Ref> m_view;   // newest first
    std::deque<Ref> m_rows;   // m_view filtered
    long long m_horizon = 0;  // m_view holds no entry older than this
    std::string m_window, m_search;
    std::unordered_map<std::string, std::string> m_lastChange;  // window -> its last found text
    std::set<std::string> m_windowNames;
};

}  // namespace nuvaro
