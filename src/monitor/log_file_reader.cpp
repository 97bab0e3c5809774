#include "monitor/log_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "core/gbk.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

constexpr size_t kScanBlock = 64u << 10;
constexpr size_t kLongHead = 32u << 10;
constexpr size_t kLongTail = 4u << 10;

class OpenFile {
  public:
    explicit OpenFile(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (m_fd >= 0) close(m_fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

  private:
    int m_fd;
};

std::string ReadAt(int fd, uint64_t offset, size_t size) {
    std::string out(size, '\0');
    size_t done = 0;
    while (done < size) {
        ssize_t n = pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    return out;
}

// The position just after the last LF in [from, to) of the file, if there is one.
std::optional<uint64_t> AfterLastNewline(int fd, uint64_t from, uint64_t to) {
    while (to > from) {
        const uint64_t start = to - from > kScanBlock ? to - kScanBlock : from;
        std::string block = ReadAt(fd, start, static_cast<size_t>(to - start));
        if (const void* lf = memrchr(block.data(), '\n', block.size())) {
            return start + static_cast<const char*>(lf) - block.data() + 1;
        }
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
    return std::string(head.substr(0, end)) + Gbk(mark) + std::string(tail);
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
LogLine LongLine(int fd, uint64_t start, uint64_t end) {
    const uint64_t length = end - start - 1;  // without the LF
    std::string tail = ReadAt(fd, start + length - kLongTail, kLongTail);
    LogLine line{start, {}, !tail.empty() && tail.back() == '\r'};
    if (line.crlf) tail = ReadAt(fd, start + length - 1 - kLongTail, kLongTail);
    const uint64_t textLength = line.crlf ? length - 1 : length;
    line.text = ShortenedLine(ReadAt(fd, start, kLongHead), tail, textLength);
    return line;
}

}  // namespace

LogFileReader::LogFileReader(std::string path, size_t chunkBytes)
    : m_path(std::move(path)), m_chunk(chunkBytes) {}

std::vector<LogLine> LogFileReader::ReadBackFrom(int fd, uint64_t end) {
    std::vector<LogLine> lines;
    if (end == 0) return lines;
    const uint64_t start = end > m_chunk ? end - m_chunk : 0;
    std::string block = ReadAt(fd, start, static_cast<size_t>(end - start));
    size_t first = 0;
    if (start > 0) {
        size_t lf = block.find('\n');
        first = lf == std::string::npos ? block.size() : lf + 1;
    }
    if (first >= block.size()) {  // the last line began before the chunk
        const uint64_t lineStart = AfterLastNewline(fd, 0, end - 1).value_or(0);
        lines.push_back(LongLine(fd, lineStart, end));
        m_begin = lineStart;
        return lines;
    }
    SplitLines(std::string_view(block).substr(first, block.size() - first - 1), start + first,
               lines);
    m_begin = start + first;
    return lines;
}

LogFileReader::NewLines LogFileReader::ReadNew() {
    OpenFile file(m_path);
    struct stat st {};
    if (file.fd() < 0 || fstat(file.fd(), &st) != 0) {
        // No file (yet): all of it will be new.
        NewLines gone{m_inode != 0, {}};
        *this = LogFileReader(m_path, m_chunk);
        m_started = true;
        return gone;
    }
    const auto size = static_cast<uint64_t>(st.st_size);
    const bool known = m_started && m_inode != 0;
    const bool replaced = known && (st.st_dev != m_device || st.st_ino != m_inode || size < m_end);
    NewLines out;
    if (m_started && !replaced) {
        auto newEnd = size > m_end ? AfterLastNewline(file.fd(), m_end, size) : std::nullopt;
        if (!newEnd) return out;
        if (*newEnd - m_end <= m_chunk) {
            m_device = st.st_dev;
            m_inode = st.st_ino;
            std::string block = ReadAt(file.fd(), m_end, static_cast<size_t>(*newEnd - m_end));
            SplitLines(std::string_view(block).substr(0, block.size() - 1), m_end, out.lines);
            m_end = *newEnd;
            return out;
        }
    }
    // First read, a new file, or more appended than a chunk: the newest lines anew.
    out.restarted = m_started;
    m_started = true;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_end = AfterLastNewline(file.fd(), 0, size).value_or(0);
    out.lines = ReadBackFrom(file.fd(), m_end);
    if (out.lines.empty()) m_begin = m_end;
    return out;
}

std::vector<LogLine> LogFileReader::ReadOlder() {
    if (!m_started || m_begin == 0) return {};
    OpenFile file(m_path);
    struct stat st {};
    if (file.fd() < 0 || fstat(file.fd(), &st) != 0 || st.st_dev != m_device ||
        st.st_ino != m_inode) {
        return {};  // replaced: the next ReadNew starts anew
    }
    return ReadBackFrom(file.fd(), m_begin);
}

void LogFileReader::UnreadBefore(uint64_t offset) {
    if (offset > m_begin && offset <= m_end) m_begin = offset;
}

bool LogFileReader::Changed() const {
    struct stat st {};
    if (stat(m_path.c_str(), &st) != 0) return !m_started || m_inode != 0;
    return !m_started || st.st_dev != m_device || st.st_ino != m_inode ||
           static_cast<uint64_t>(st.st_size) != m_end;
}

}  // namespace nuvaro
