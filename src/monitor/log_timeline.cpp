#include "monitor/log_timeline.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace nuvaro {
namespace {

size_t Index(LogSource source) { return static_cast<size_t>(source); }

std::string WindowKey(const LogEntry& e) { return e.slot + '\x1f' + e.window; }

// Lines that continue an entry begun before them are read with the lines before, up to this
// much; beyond, they are shown as they are.
constexpr size_t kMaxContinued = 1u << 20;

size_t Bytes(const std::vector<LogLine>& lines) {
    size_t bytes = 0;
    for (const LogLine& line : lines) bytes += line.text.size();
    return bytes;
}

// The entries of one log read in one step. Leading lines that continue an entry begun before
// them are given back to the reader, or, when no entry begins in them, read with what precedes.
std::vector<LogEntry> Parse(LogSource source, LogFileReader& reader, std::vector<LogLine> lines,
                            bool appended, const WindowOfSlot& windowOf) {
    for (bool nothingBefore = false;;) {
        size_t unused = 0;
        const bool whole =
            appended || nothingBefore || reader.AtStart() || Bytes(lines) > kMaxContinued;
        auto entries = ParseLogLines(source, lines, windowOf, whole, &unused);
        if (!entries.empty() || whole) {
            if (unused > 0) reader.UnreadBefore(lines[unused].offset);
            return entries;
        }
        std::vector<LogLine> before = reader.ReadOlder();
        nothingBefore = before.empty();
        lines.insert(lines.begin(), std::make_move_iterator(before.begin()),
                     std::make_move_iterator(before.end()));
    }
}

}  // namespace

LogTimeline::LogTimeline(std::array<std::string, kLogs> paths, size_t chunkBytes,
                         size_t maxEntriesPerLog)
    : m_maxEntries(maxEntriesPerLog) {
    for (size_t i = 0; i < kLogs; ++i)
        m_readers[i] = LogFileReader(std::move(paths[i]), chunkBytes);
}

LogTimeline::Step LogTimeline::ReadAppended(WindowOfSlot windowOf) const {
    return [readers = m_readers, windowOf = std::move(windowOf)]() mutable {
        Batch batch{false, readers, {}, {}};
        for (size_t i = 0; i < kLogs; ++i) {
            LogFileReader& reader = batch.readers[i];
            const bool first = !reader.Started();
            LogFileReader::NewLines read = reader.ReadNew();
            batch.anew[i] = first || read.restarted;
            batch.entries[i] = Parse(static_cast<LogSource>(i), reader, std::move(read.lines),
                                     !batch.anew[i], windowOf);
        }
        return batch;
    };
}

LogTimeline::Step LogTimeline::ReadOlder(WindowOfSlot windowOf) const {
    return [readers = m_readers, windowOf = std::move(windowOf)]() mutable {
        Batch batch{true, readers, {}, {}};
        for (size_t i = 0; i < kLogs; ++i) {
            LogFileReader& reader = batch.readers[i];
            batch.entries[i] =
                Parse(static_cast<LogSource>(i), reader, reader.ReadOlder(), false, windowOf);
        }
        return batch;
    };
}

LogTimeline::Applied LogTimeline::Apply(Batch batch) {
    m_readers = std::move(batch.readers);
    for (const auto& read : batch.entries) {
        for (const LogEntry& e : read) {
            if (!e.window.empty()) m_windowNames.insert(e.window);
        }
    }
    return batch.older ? TakeOlder(batch.entries) : TakeAppended(batch.entries, batch.anew);
}

LogTimeline::Applied LogTimeline::TakeOlder(std::array<std::vector<LogEntry>, kLogs>& read) {
    for (size_t i = 0; i < kLogs; ++i) {
        m_first[i] -= static_cast<int64_t>(read[i].size());
        m_entries[i].insert(m_entries[i].begin(), std::make_move_iterator(read[i].begin()),
                            std::make_move_iterator(read[i].end()));
    }
    LinkPrevious(m_entries[Index(LogSource::Monitor)], 0);
    const long long before = m_horizon;
    m_horizon = std::min(before, Horizon());  // a clock set back can make it later
    return {0, Extend(m_horizon, before), false};
}

LogTimeline::Applied LogTimeline::TakeAppended(std::array<std::vector<LogEntry>, kLogs>& read,
                                               const std::array<bool, kLogs>& anew) {
    bool reset = false;
    std::vector<std::pair<long long, Ref>> added;
    for (size_t i = 0; i < kLogs; ++i) {
        auto& entries = m_entries[i];
        if (anew[i]) {
            reset = true;
            entries.clear();
            m_first[i] = 0;
        }
        const size_t from = entries.size();
        std::move(read[i].begin(), read[i].end(), std::back_inserter(entries));
        if (i == Index(LogSource::Monitor) && !anew[i]) LinkPrevious(entries, from);
        for (size_t k = from; k < entries.size(); ++k) {
            added.push_back(
                {entries[k].order, {static_cast<LogSource>(i), m_first[i] + int64_t(k)}});
        }
    }
    if (Trim() || reset) {
        LinkPrevious(m_entries[Index(LogSource::Monitor)], 0);
        Rebuild();
        return {0, 0, true};
    }
    return {PutFirst(std::move(added)), 0, false};
}

size_t LogTimeline::PutFirst(std::vector<std::pair<long long, Ref>> added) {
    // Newest first: later lines of the same second before earlier ones.
    std::reverse(added.begin(), added.end());
    std::stable_sort(added.begin(), added.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    size_t newRows = 0;
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        m_view.push_front(it->second);
        if (EntryMatches(At(it->second), m_window, m_search)) {
            m_rows.push_front(it->second);
            ++newRows;
        }
    }
    return newRows;
}

void LogTimeline::LinkPrevious(std::deque<LogEntry>& entries, size_t from) {
    if (from == 0) m_lastChange.clear();
    for (size_t k = from; k < entries.size(); ++k) {
        LogEntry& e = entries[k];
        if (e.event != LogEvent::Change) continue;
        std::string& last = m_lastChange[WindowKey(e)];
        e.previous = last;
        last = e.text;
    }
}

bool LogTimeline::Trim() {
    bool trimmed = false;
    for (size_t i = 0; i < kLogs; ++i) {
        auto& entries = m_entries[i];
        if (entries.size() <= m_maxEntries) continue;
        const size_t drop = entries.size() - m_maxEntries * 3 / 4;
        m_readers[i].UnreadBefore(entries[drop].offset);
        entries.erase(entries.begin(), entries.begin() + static_cast<ptrdiff_t>(drop));
        m_first[i] += static_cast<int64_t>(drop);
        trimmed = true;
    }
    return trimmed;
}

// A log not read to its start may hold entries older than its oldest one read, but newer than
// those read of another: nothing older than that is shown.
long long LogTimeline::Horizon() const {
    long long horizon = 0;
    for (size_t i = 0; i < kLogs; ++i) {
        if (!m_readers[i].AtStart() && !m_entries[i].empty()) {
            horizon = std::max(horizon, m_entries[i].front().order);
        }
    }
    return horizon;
}

size_t LogTimeline::Extend(long long from, long long to) {
    std::vector<std::pair<long long, Ref>> more;
    for (size_t i = 0; i < kLogs; ++i) {
        const auto& entries = m_entries[i];
        for (size_t k = entries.size(); k-- > 0;) {
            const long long order = entries[k].order;
            if (order >= from && order < to) {
                more.push_back({order, {static_cast<LogSource>(i), m_first[i] + int64_t(k)}});
            }
        }
    }
    std::stable_sort(more.begin(), more.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    size_t rows = 0;
    for (const auto& [order, ref] : more) {
        m_view.push_back(ref);
        if (EntryMatches(At(ref), m_window, m_search)) {
            m_rows.push_back(ref);
            ++rows;
        }
    }
    return rows;
}

void LogTimeline::Rebuild() {
    m_view.clear();
    m_rows.clear();
    m_horizon = Horizon();
    Extend(m_horizon, std::numeric_limits<long long>::max());
}

void LogTimeline::SetFilter(std::string window, std::string search) {
    m_window = std::move(window);
    m_search = std::move(search);
    m_rows.clear();
    for (const Ref& ref : m_view) {
        if (EntryMatches(At(ref), m_window, m_search)) m_rows.push_back(ref);
    }
}

std::optional<size_t> LogTimeline::RowOf(LogSource source, uint64_t offset) const {
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].source != source) continue;
        if (At(m_rows[row]).offset == offset) return row;
    }
    return std::nullopt;
}

bool LogTimeline::HasOlder() const {
    return std::any_of(m_readers.begin(), m_readers.end(),
                       [](const LogFileReader& r) { return r.Started() && !r.AtStart(); });
}

bool LogTimeline::FilesChanged() const {
    return std::any_of(m_readers.begin(), m_readers.end(),
                       [](const LogFileReader& r) { return r.Changed(); });
}

const LogEntry& LogTimeline::At(Ref ref) const {
    const size_t i = Index(ref.source);
    return m_entries[i][static_cast<size_t>(ref.id - m_first[i])];
}

}  // namespace nuvaro
