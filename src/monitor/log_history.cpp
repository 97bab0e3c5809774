#include "monitor/log_history.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>

#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

// An old entry may take up this much of the following lines until it is whole; then a line
// with a date-time starts an entry again.
constexpr size_t kMaxJoined = 256u << 10;

// The date-time at the start of a line: "2026-12-7 9:05:03", or "2026-12-7" at midnight; its
// length and a sortable value (yyyymmddHHMMSS).
std::optional<std::pair<size_t, long long>> LeadingDateTime(std::string_view s) {
    size_t pos = 0;
    auto number = [&](size_t maxDigits) -> std::optional<long long> {
        size_t start = pos;
        long long value = 0;
        while (pos < s.size() && pos - start < maxDigits &&
               std::isdigit(static_cast<unsigned char>(s[pos]))) {
            value = value * 10 + (s[pos++] - '0');
        }
        return pos == start ? std::nullopt : std::optional<long long>(value);
    };
    auto expect = [&](char c) {
        if (pos >= s.size() || s[pos] != c) return false;
        ++pos;
        return true;
    };
    auto year = number(4);
    if (!year || !expect('-')) return std::nullopt;
    auto month = number(2);
    if (!month || !expect('-')) return std::nullopt;
    auto day = number(2);
    if (!day) return std::nullopt;
    long long date = (*year * 100 + *month) * 100 + *day;
    const size_t dateEnd = pos;
    if (expect(' ')) {
        auto hour = number(2);
        auto minute = hour && expect(':') ? number(2) : std::nullopt;
        auto second = minute && expect(':') ? number(2) : std::nullopt;
        if (second) {
            return std::make_pair(pos, ((date * 100 + *hour) * 100 + *minute) * 100 + *second);
        }
    }
    return std::make_pair(dateEnd, date * 1000000);
}

// "[a][b]rest": the text of a bracket group at `pos`, moving `pos` past it.
std::optional<std::string_view> Group(std::string_view s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '[') return std::nullopt;
    size_t close = s.find(']', pos + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view inside = s.substr(pos + 1, close - pos - 1);
    pos = close + 1;
    return inside;
}

struct ErrorFields {
    std::string_view slot, window, message;
};

// [S][W]message
std::optional<ErrorFields> ParseErrorFields(std::string_view body) {
    size_t pos = 0;
    auto slot = Group(body, pos);
    auto window = slot ? Group(body, pos) : std::nullopt;
    if (!window) return std::nullopt;
    return ErrorFields{*slot, *window, body.substr(pos)};
}

struct SendFields {
    std::string_view channel, slot, recipient, rest;
};

// " [CHANNEL][slot][recipient][try n] OK: reply" or "... FAILED: error"
std::optional<SendFields> ParseSendFields(std::string_view body) {
    size_t pos = body.empty() ? 0 : 1;  // the blank after the date-time
    auto channel = Group(body, pos);
    auto slot = channel ? Group(body, pos) : std::nullopt;
    auto recipient = slot ? Group(body, pos) : std::nullopt;
    if (!recipient) return std::nullopt;
    std::string_view rest = body.substr(pos);
    while (!rest.empty() && rest.front() == '[') {  // further groups (the try)
        size_t close = rest.find(']');
        if (close == std::string_view::npos) break;
        rest.remove_prefix(close + 1);
    }
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return SendFields{*channel, *slot, *recipient, rest};
}

bool IsWhole(LogSource source, std::string_view body) {
    switch (source) {
        case LogSource::Monitor:
            return ParseMonitorFields(body).has_value();
        case LogSource::Error:
            return ParseErrorFields(body).has_value();
        case LogSource::Send:
            return ParseSendFields(body).has_value();
    }
    return true;
}

// An entry's lines joined: its date-time and what follows it.
struct RawEntry {
    std::string head;  // empty for lines before the first entry
    long long order = 0;
    std::string body;
    uint64_t offset = 0;
};

std::optional<std::pair<size_t, long long>> EntryStart(LogSource source, std::string_view line) {
    auto stamp = LeadingDateTime(line);
    if (!stamp || stamp->first >= line.size()) return std::nullopt;
    const char next = line[stamp->first];
    if (next == '[' || (source == LogSource::Send && next == ' ')) return stamp;
    return std::nullopt;
}

std::vector<RawEntry> JoinLines(LogSource source, const std::vector<LogLine>& lines,
                                bool atFileStart, size_t* unused) {
    std::vector<RawEntry> entries;
    size_t leading = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const LogLine& line = lines[i];
        auto stamp = EntryStart(source, line.text);
        bool joins = !entries.empty() && !stamp;
        if (!entries.empty() && stamp) {
            const RawEntry& last = entries.back();
            joins =
                !last.head.empty() && last.body.size() < kMaxJoined && !IsWhole(source, last.body);
        }
        if (joins) {
            RawEntry& last = entries.back();
            last.body += lines[i - 1].crlf ? "\r\n" : "\n";
            last.body += line.text;
        } else if (stamp) {
            entries.push_back({line.text.substr(0, stamp->first), stamp->second,
                               line.text.substr(stamp->first), line.offset});
        } else {
            ++leading;  // before the first entry of these lines
            if (atFileStart && !line.text.empty()) {
                entries.push_back({{}, 0, line.text, line.offset});
            }
        }
    }
    if (unused) *unused = atFileStart ? 0 : leading;
    return entries;
}

std::string Shown(std::string_view gbk) { return ToUtf8(GbkText::FromBytes(ShowControls(gbk))); }

LogEntry Entry(LogSource source, const RawEntry& raw, LogEvent event, std::string_view window,
               std::string_view slot, std::string_view text) {
    LogEntry e;
    e.time = raw.head;
    e.order = raw.order;
    e.window = Shown(window);
    e.slot = std::string(slot);
    e.event = event;
    e.text = Shown(text);
    e.source = source;
    e.offset = raw.offset;
    return e;
}

LogEntry MonitorEntry(const RawEntry& raw) {
    auto fields = ParseMonitorFields(raw.body);
    if (!fields) return Entry(LogSource::Monitor, raw, LogEvent::NothingFound, {}, {}, raw.body);
    std::string_view slot = fields->marker == "0" ? std::string_view{} : fields->marker;
    return Entry(LogSource::Monitor, raw, fields->event, fields->window, slot, fields->found);
}

LogEntry ErrorEntry(const RawEntry& raw) {
    auto fields = ParseErrorFields(raw.body);
    if (!fields) return Entry(LogSource::Error, raw, LogEvent::Error, {}, {}, raw.body);
    std::string_view slot = fields->slot == "0" ? std::string_view{} : fields->slot;
    return Entry(LogSource::Error, raw, LogEvent::Error, fields->window, slot, fields->message);
}

LogEntry SendEntry(const RawEntry& raw, const WindowOfSlot& windowOf) {
    auto fields = ParseSendFields(raw.body);
    if (!fields) return Entry(LogSource::Send, raw, LogEvent::DeliveryFailed, {}, {}, raw.body);
    const bool ok = fields->rest.rfind(text::kSendOk, 0) == 0;
    std::string text = std::string(fields->channel) + " " + std::string(fields->recipient);
    size_t colon = fields->rest.find(": ");
    if (colon != std::string_view::npos) {
        text += ToGbk("：").bytes() + std::string(fields->rest.substr(colon + 2));
    }
    LogEntry entry =
        Entry(LogSource::Send, raw, ok ? LogEvent::DeliveryOk : LogEvent::DeliveryFailed, {},
              fields->slot, text);
    entry.window = windowOf ? windowOf(fields->slot) : "";
    return entry;
}

std::vector<LogLine> SplitText(std::string_view gbk) {
    std::vector<LogLine> lines;
    size_t pos = 0;
    while (pos < gbk.size()) {
        size_t lf = gbk.find('\n', pos);
        if (lf == std::string_view::npos) lf = gbk.size();
        std::string_view text = gbk.substr(pos, lf - pos);
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) text.remove_suffix(1);
        lines.push_back({pos, std::string(text), crlf});
        pos = lf + 1;
    }
    return lines;
}

}  // namespace

const char* EventName(LogEvent event) {
    switch (event) {
        case LogEvent::NothingFound:
            return text::kEventNothingFound;
        case LogEvent::Repeat:
            return text::kEventRepeat;
        case LogEvent::Change:
            return text::kEventChange;
        case LogEvent::Error:
            return text::kEventError;
        case LogEvent::DeliveryOk:
            return text::kEventDeliveryOk;
        case LogEvent::DeliveryFailed:
            return text::kEventDeliveryFailed;
    }
    return "";
}

std::optional<MonitorFields> ParseMonitorFields(std::string_view body) {
    static const std::array<std::pair<std::string, LogEvent>, 3> markers = {
        std::pair{"]" + ToGbk(text::kLogChange).bytes() + "[", LogEvent::Change},
        std::pair{"]" + ToGbk(text::kLogRepeat).bytes() + "[", LogEvent::Repeat},
        std::pair{"]" + ToGbk(text::kLogNothingFound).bytes() + "[", LogEvent::NothingFound}};
    size_t pos = 0;
    auto marker = Group(body, pos);
    if (!marker || pos >= body.size() || body[pos] != '[' || body.back() != ']') {
        return std::nullopt;
    }
    size_t at = std::string_view::npos;
    const std::pair<std::string, LogEvent>* last = nullptr;
    for (const auto& candidate : markers) {
        size_t found = body.rfind(candidate.first);
        if (found == std::string_view::npos || found < pos) continue;
        if (!last || found > at) {
            at = found;
            last = &candidate;
        }
    }
    if (!last) return std::nullopt;
    const size_t windowStart = at + last->first.size();
    return MonitorFields{last->second, *marker, body.substr(pos + 1, at - pos - 1),
                         body.substr(windowStart, body.size() - 1 - windowStart)};
}

std::vector<LogEntry> ParseLogLines(LogSource source, const std::vector<LogLine>& lines,
                                    const WindowOfSlot& windowOf, bool atFileStart,
                                    size_t* unused) {
    std::vector<LogEntry> out;
    for (const RawEntry& raw : JoinLines(source, lines, atFileStart, unused)) {
        switch (source) {
            case LogSource::Monitor:
                out.push_back(MonitorEntry(raw));
                break;
            case LogSource::Error:
                out.push_back(ErrorEntry(raw));
                break;
            case LogSource::Send:
                out.push_back(SendEntry(raw, windowOf));
                break;
        }
    }
    return out;
}

std::vector<LogEntry> ParseMonitorLog(std::string_view gbk) {
    return ParseLogLines(LogSource::Monitor, SplitText(gbk), {});
}

std::vector<LogEntry> ParseErrorLog(std::string_view gbk) {
    return ParseLogLines(LogSource::Error, SplitText(gbk), {});
}

std::vector<LogEntry> ParseSendLog(std::string_view gbk, const WindowOfSlot& windowOf) {
    return ParseLogLines(LogSource::Send, SplitText(gbk), windowOf);
}

std::vector<LogEntry> MergeNewestFirst(std::vector<std::vector<LogEntry>> logs) {
    std::vector<LogEntry> all;
    for (auto& log : logs) {
        std::move(log.rbegin(), log.rend(), std::back_inserter(all));
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const LogEntry& a, const LogEntry& b) { return a.order > b.order; });
    return all;
}

bool EntryMatches(const LogEntry& e, std::string_view window, std::string_view search) {
    if (!window.empty() && e.window != window) return false;
    return search.empty() || e.text.find(search) != std::string::npos ||
           e.previous.find(search) != std::string::npos ||
           e.window.find(search) != std::string::npos ||
           std::string_view(EventName(e.event)).find(search) != std::string_view::npos;
}

std::vector<size_t> FilterEntries(const std::vector<LogEntry>& entries, std::string_view window,
                                  std::string_view search) {
    std::vector<size_t> shown;
    shown.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (EntryMatches(entries[i], window, search)) shown.push_back(i);
    }
    return shown;
}

}  // namespace nuvaro
