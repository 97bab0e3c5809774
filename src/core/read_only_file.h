#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nuvaro {

// Size and identity of a file: two looks at the same path name the same file when volume and
// id agree (a file replaced under its name gets another id).
struct FileFacts {
    uint64_t size = 0;
    uint64_t volume = 0;
    uint64_t id = 0;

    bool SameFile(const FileFacts& other) const { return volume == other.volume && id == other.id; }
};

// The facts of the file `path`, nullopt when there is none.
std::optional<FileFacts> FileFactsOf(const std::string& path);

// A file open for reading at any offset. Its writers may append to it, replace it or remove it
// meanwhile; this reader keeps reading the file it opened.
class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return m_handle != kClosed; }
    // Facts of the open file; nullopt when it is not open or the system cannot tell.
    std::optional<FileFacts> Facts() const;
    // Up to `size` bytes from `offset`; fewer at the end of the file or on a failed read.
    std::string ReadAt(uint64_t offset, size_t size) const;

  private:
    static constexpr intptr_t kClosed = -1;
    intptr_t m_handle = kClosed;  // a descriptor or a HANDLE
};

}  // namespace nuvaro
