#include "monitor/log_history.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/atomic_file.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/monitor_log.h"

namespace nuvaro {
namespace {

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
        if (second) return std::make_pair(pos, ((date * 100 + *hour) * 100 + *minute) * 100 + *second);
    }
    return std::make_pair(dateEnd, date * 1000000);
}

// Physical lines joined into entries, each with its date-time.
struct RawEntry {
    std::string_view head;  // the date-time text
    long long order;
    std::string body;  // after the date-time (GBK), continuation lines joined with CR LF
};

std::vector<RawEntry> SplitEntries(std::string_view gbk) {
    std::vector<RawEntry> entries;
    size_t pos = 0;
    while (pos < gbk.size()) {
        size_t end = gbk.find("\r\n", pos);
        if (end == std::string_view::npos) end = gbk.size();
        std::string_view line = gbk.substr(pos, end - pos);
        pos = end + 2;
        auto stamp = LeadingDateTime(line);
        if (stamp && stamp->first < line.size() && (line[stamp->first] == '[' ||
                                                    line[stamp->first] == ' ')) {
            entries.push_back({line.substr(0, stamp->first), stamp->second,
                               std::string(line.substr(stamp->first))});
        } else if (!entries.empty()) {
            entries.back().body += "\r\n";
            entries.back().body += line;
        } else if (!line.empty()) {
            entries.push_back({{}, 0, std::string(line)});
        }
    }
    return entries;
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

LogEntry Entry(const RawEntry& raw, LogEvent event, std::string_view window, std::string_view slot,
               std::string_view text) {
    return {std::string(raw.head), raw.order, GbkToUtf8(window), std::string(slot), event,
            GbkToUtf8(text)};
}

// D[X][F]marker[W]: found text and window around a fixed text.
std::optional<LogEntry> MonitorEntry(const RawEntry& raw) {
    static const std::array<std::pair<std::string, LogEvent>, 3> markers = {
        std::pair{"]" + Gbk(text::kLogChange) + "[", LogEvent::Change},
        std::pair{"]" + Gbk(text::kLogRepeat) + "[", LogEvent::Repeat},
        std::pair{"]" + Gbk(text::kLogNothingFound) + "[", LogEvent::NothingFound}};
    std::string_view body = raw.body;
    size_t pos = 0;
    auto marker = Group(body, pos);
    if (!marker || pos >= body.size() || body[pos] != '[' || body.back() != ']') return std::nullopt;
    for (const auto& [text, event] : markers) {
        size_t at = body.rfind(text);
        if (at == std::string_view::npos || at < pos) continue;
        std::string_view found = body.substr(pos + 1, at - pos - 1);
        size_t windowStart = at + text.size();
        std::string_view window = body.substr(windowStart, body.size() - 1 - windowStart);
        std::string_view slot = *marker == "0" ? std::string_view{} : *marker;
        return Entry(raw, event, window, slot, found);
    }
    return std::nullopt;
}

LogEntry Unparsed(const RawEntry& raw, LogEvent event) {
    return Entry(raw, event, {}, {}, raw.body);
}

}  // namespace

const char* EventName(LogEvent event) {
    switch (event) {
        case LogEvent::NothingFound: return text::kEventNothingFound;
        case LogEvent::Repeat: return text::kEventRepeat;
        case LogEvent::Change: return text::kEventChange;
        case LogEvent::Error: return text::kEventError;
        case LogEvent::DeliveryOk: return text::kEventDeliveryOk;
        case LogEvent::DeliveryFailed: return text::kEventDeliveryFailed;
    }
    return "";
}

std::vector<LogEntry> ParseMonitorLog(std::string_view gbk) {
    std::vector<LogEntry> out;
    for (const RawEntry& raw : SplitEntries(gbk)) {
        auto entry = MonitorEntry(raw);
        out.push_back(entry ? std::move(*entry) : Unparsed(raw, LogEvent::NothingFound));
    }
    return out;
}

// D[S][W]message
std::vector<LogEntry> ParseErrorLog(std::string_view gbk) {
    std::vector<LogEntry> out;
    for (const RawEntry& raw : SplitEntries(gbk)) {
        std::string_view body = raw.body;
        size_t pos = 0;
        auto slot = Group(body, pos);
        auto window = slot ? Group(body, pos) : std::nullopt;
        if (!window) {
            out.push_back(Unparsed(raw, LogEvent::Error));
            continue;
        }
        std::string_view message = body.substr(pos);
        out.push_back(Entry(raw, LogEvent::Error, *window, *slot == "0" ? "" : *slot, message));
    }
    return out;
}

// D [CHANNEL][slot][recipient]... OK: reply  /  FAILED: error
std::vector<LogEntry> ParseSendLog(std::string_view gbk,
                                   const std::function<std::string(std::string_view)>& windowOf) {
    std::vector<LogEntry> out;
    for (const RawEntry& raw : SplitEntries(gbk)) {
        std::string_view body = raw.body;
        size_t pos = body.empty() ? 0 : 1;  // the blank after the date-time
        auto channel = Group(body, pos);
        auto slot = channel ? Group(body, pos) : std::nullopt;
        auto recipient = slot ? Group(body, pos) : std::nullopt;
        if (!recipient) {
            out.push_back(Unparsed(raw, LogEvent::DeliveryFailed));
            continue;
        }
        std::string_view rest = body.substr(pos);
        while (!rest.empty() && rest.front() == '[') {  // further groups (the try)
            size_t close = rest.find(']');
            if (close == std::string_view::npos) break;
            rest.remove_prefix(close + 1);
        }
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        const bool ok = rest.rfind(text::kSendOk, 0) == 0;
        std::string text = std::string(*channel) + " " + std::string(*recipient);
        size_t colon = rest.find(": ");
        if (colon != std::string_view::npos) text += Gbk("：") + std::string(rest.substr(colon + 2));
        LogEntry entry = Entry(raw, ok ? LogEvent::DeliveryOk : LogEvent::DeliveryFailed, {},
                               *slot, text);
        entry.window = windowOf ? windowOf(*slot) : "";
        out.push_back(std::move(entry));
    }
    return out;
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

std::vector<size_t> FilterEntries(const std::vector<LogEntry>& entries, std::string_view window,
                                  std::string_view search) {
    std::vector<size_t> shown;
    shown.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const LogEntry& e = entries[i];
        if (!window.empty() && e.window != window) continue;
        if (!search.empty() && e.text.find(search) == std::string::npos &&
            e.window.find(search) == std::string::npos &&
            std::string_view(EventName(e.event)).find(search) == std::string_view::npos) {
            continue;
        }
        shown.push_back(i);
    }
    return shown;
}

std::vector<LogEntry> ReadLogHistory(
    const std::function<std::string(std::string_view)>& windowOfSlot) {
    auto read = [](std::string_view name) {
        return ReadWholeFile(LogFilePath(name)).value_or(std::string());
    };
    return MergeNewestFirst({ParseMonitorLog(read(kMonitorLog)), ParseErrorLog(read(kErrorLog)),
                             ParseSendLog(read("sendlog"), windowOfSlot)});
}

}  // namespace nuvaro
