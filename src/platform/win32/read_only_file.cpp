#include "core/read_only_file.h"

#include <algorithm>

#include "platform/win32/file_handles.h"

namespace nuvaro {
namespace {

std::optional<FileFacts> FactsOfHandle(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    auto join = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
    return FileFacts{join(info.nFileSizeHigh, info.nFileSizeLow), info.dwVolumeSerialNumber,
                     join(info.nFileIndexHigh, info.nFileIndexLow)};
}

}  // namespace

std::optional<FileFacts> FileFactsOf(const std::string& path) {
    // No access asked: the facts of a file that others hold open for writing can still be had.
    HANDLE file = win32::OpenFile(path, 0, OPEN_EXISTING);
    auto facts = FactsOfHandle(file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return facts;
}

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
    HANDLE file = win32::OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (file != INVALID_HANDLE_VALUE) m_handle = reinterpret_cast<intptr_t>(file);
}

ReadOnlyFile::~ReadOnlyFile() {
    if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

std::optional<FileFacts> ReadOnlyFile::Facts() const {
    if (!IsOpen()) return std::nullopt;
    return FactsOfHandle(reinterpret_cast<HANDLE>(m_handle));
}

std::string ReadOnlyFile::ReadAt(uint64_t offset, size_t size) const {
    std::string out(size, '\0');
    size_t done = 0;
    while (IsOpen() && done < size) {
        OVERLAPPED at{};
        const uint64_t from = offset + done;
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20)), n = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), out.data() + done, chunk, &n, &at) ||
            n == 0) {
            break;
        }
        done += n;
    }
    out.resize(done);
    return out;
}

}  // namespace nuvaro
