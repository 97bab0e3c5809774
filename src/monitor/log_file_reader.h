#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/read_only_file.h"

namespace nuvaro {

// One physical line of a log file (without its CR LF) and where it starts in the file.
struct LogLine {
    uint64_t offset = 0;
    std::string text;
    bool crlf = true;  // ended by CR LF (older versions kept a page's bare LF inside entries)
};

// A log file read from its end, so that a log of any size opens at once: the newest lines
// first (about one chunk), older ones a chunk at a time on demand, and then what is appended.
// Only whole lines are taken (a line still being written waits for the next read). A line
// longer than kLongLine (only older versions wrote such) keeps its start and its end. A value:
// copy it to read on another thread.
class LogFileReader {
  public:
    static constexpr size_t kChunkBytes = 2u << 20;
    static constexpr size_t kLongLine = 64u << 10;

    explicit LogFileReader(std::string path = {}, size_t chunkBytes = kChunkBytes);

    const std::string& Path() const { return m_path; }

    struct NewLines {
        bool restarted = false;  // the file was replaced or cut: these are its newest lines
        std::vector<LogLine> lines;
    };
    // The newest lines at the first call; then the lines appended since the last call. When
    // more than a chunk was appended, reading starts anew from the end.
    NewLines ReadNew();
    // About a chunk of lines before those read so far, oldest first; none at the file's start.
    std::vector<LogLine> ReadOlder();
    // Lines before `offset` (a line start at or after the first line read) count as unread,
    // so that the next ReadOlder gives them again.
    void UnreadBefore(uint64_t offset);

    bool Started() const { return m_started; }
    bool AtStart() const { return m_begin == 0; }
    // Whether the file differs from what was read (grown, cut or replaced): a cheap look.
    bool Changed() const;
    uint64_t ReadFrom() const { return m_begin; }
    uint64_t ReadTo() const { return m_end; }

  private:
    std::vector<LogLine> ReadBackFrom(const ReadOnlyFile& file, uint64_t end);

    std::string m_path;
    size_t m_chunk;
    bool m_started = false;
    uint64_t m_begin = 0, m_end = 0;  // what was read: [m_begin, m_end), both line starts
    FileFacts m_file;                 // of the file read; id 0 before the first read
};

}  // namespace nuvaro
