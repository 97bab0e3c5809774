#include "monitor/log_file_reader.h"

#include <cstdio>
#include <optional>

#include "core/gbk.h"
#include "core/read_only_file.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

constexpr size_t kScanBlock = 64u << 10;
constexpr size_t kLongHead = 32u << 10;
constexpr size_t kLongTail = 4u << 10;

// The position just after the last LF in [from, to) of the file, if there is one.
std::optional<uint64_t> AfterLastNewline(const ReadOnlyFile& file, uint64_t from, uint64_t to) {
    while (to > from) {
        const uint64_t start = to - from > kScanBlock ? to - kScanBlock : from;
        std::string block = file.ReadAt(start, static_cast<size_t>(to - start));
        const size_t lf = block.rfind('\n');
        if (lf != std::string::npos) return start + lf + 1;
        to = start;
    }
    return std::nullopt;
}

// A line that older versions let grow without bound: its start and its end around a mark, so
// that its date-time and its last fields still read.
std::string ShortenedLine(std::string_view head, std::string_view tail, uint64_t length) {
    size_t end = 0;
    while (end < head.size() && end + GbkCharLength(head, end) <= kLongHead) {
        end += GbkCharLength(head, end);
    }
    char mark[96];
    std::snprintf(mark, sizeof mark, text::kLogLongLineMark,
                  static_cast<unsigned long long>(length - end - tail.size()));
    return std::string(head.substr(0, end)) + ToGbk(mark).bytes() + std::string(tail);
}

LogLine MakeLine(uint64_t offset, std::string_view text) {
    LogLine line{offset, {}, false};
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        line.crlf = true;
    }
    line.text = text.size() > LogFileReader::kLongLine
                    ? ShortenedLine(text.substr(0, kLongHead), text.substr(text.size() - kLongTail),
                                    text.size())
                    : std::string(text);
    return line;
}

// The lines of `block`, which starts at file offset `offset` with a line start and ends with a
// whole line.
void SplitLines(std::string_view block, uint64_t offset, std::vector<LogLine>& out) {
    size_t pos = 0;
    while (pos < block.size()) {
        size_t lf = block.find('\n', pos);
        if (lf == std::string_view::npos) lf = block.size();
        out.push_back(MakeLine(offset + pos, block.substr(pos, lf - pos)));
        pos = lf + 1;
    }
}

// The one line [start, end) of the file (`end` just after its LF), longer than a chunk.
LogLine LongLine(const ReadOnlyFile& file, uint64_t start, uint64_t end) {
    const uint64_t length = end - start - 1;  // without the LF
    std::string tail = file.ReadAt(start + length - kLongTail, kLongTail);
    LogLine line{start, {}, !tail.empty() && tail.back() == '\r'};
    if (line.crlf) tail = file.ReadAt(start + length - 1 - kLongTail, kLongTail);
    const uint64_t textLength = line.crlf ? length - 1 : length;
    line.text = ShortenedLine(file.ReadAt(start, kLongHead), tail, textLength);
    return line;
}

}  // namespace

LogFileReader::LogFileReader(std::string path, size_t chunkBytes)
    : m_path(std::move(path)), m_chunk(chunkBytes) {}

std::vector<LogLine> LogFileReader::ReadBackFrom(const ReadOnlyFile& file, uint64_t end) {
    std::vector<LogLine> lines;
    if (end == 0) return lines;
    const uint64_t start = end > m_chunk ? end - m_chunk : 0;
    std::string block = file.ReadAt(start, static_cast<size_t>(end - start));
    size_t first = 0;
    if (start > 0) {
        size_t lf = block.find('\n');
        first = lf == std::string::npos ? block.size() : lf + 1;
    }
    if (first >= block.size()) {  // the last line began before the chunk
        const uint64_t lineStart = AfterLastNewline(file, 0, end - 1).value_or(0);
        lines.push_back(LongLine(file, lineStart, end));
        m_begin = lineStart;
        return lines;
    }
    SplitLines(std::string_view(block).substr(first, block.size() - first - 1), start + first,
               lines);
    m_begin = start + first;
    return lines;
}

LogFileReader::NewLines LogFileReader::ReadNew() {
    ReadOnlyFile file(m_path);
    const std::optional<FileFacts> facts = file.Facts();
    if (!facts) {
        // No file (yet): all of it will be new.
        NewLines gone{m_file.id != 0, {}};
        *this = LogFileReader(m_path, m_chunk);
        m_started = true;
        return gone;
    }
    const uint64_t size = facts->size;
    const bool known = m_started && m_file.id != 0;
    const bool replaced = known && (!facts->SameFile(m_file) || size < m_end);
    NewLines out;
    if (m_started && !replaced) {
        auto newEnd = size > m_end ? AfterLastNewline(file, m_end, size) : std::nullopt;
        if (!newEnd) return out;
        if (*newEnd - m_end <= m_chunk) {
            m_file = *facts;
            std::string block = file.ReadAt(m_end, static_cast<size_t>(*newEnd - m_end));
            SplitLines(std::string_view(block).substr(0, block.size() - 1), m_end, out.lines);
            m_end = *newEnd;
            return out;
        }
    }
    // First read, a new file, or more appended than a chunk: the newest lines anew.
    out.restarted = m_started;
    m_started = true;
    m_file = *facts;
    m_end = AfterLastNewline(file, 0, size).value_or(0);
    out.lines = ReadBackFrom(file, m_end);
    if (out.lines.empty()) m_begin = m_end;
    return out;
}

std::vector<LogLine> LogFileReader::ReadOlder() {
    if (!m_started || m_begin == 0) return {};
    ReadOnlyFile file(m_path);
    const std::optional<FileFacts> facts = file.Facts();
    if (!facts || !facts->SameFile(m_file)) return {};  // replaced: the next ReadNew starts anew
    return ReadBackFrom(file, m_begin);
}

void LogFileReader::UnreadBefore(uint64_t offset) {
    if (offset > m_begin && offset <= m_end) m_begin = offset;
}

bool LogFileReader::Changed() const {
    const std::optional<FileFacts> facts = FileFactsOf(m_path);
    if (!facts) return !m_started || m_file.id != 0;
    return !m_started || !facts->SameFile(m_file) || facts->size != m_end;
}

}  // namespace nuvaro
