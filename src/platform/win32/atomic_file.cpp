#include "core/atomic_file.h"

#include <random>
#include <thread>

#include "core/file_lock.h"
#include "core/temporary_name.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/owner_only.h"
#include "platform/win32/wide.h"

namespace nuvaro {
namespace {

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomLetters() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string letters(kTemporaryLetters, 'X');
    for (char& c : letters) c = kLetters[pick(random)];
    return letters;
}

// A new temporary file beside `path`, opened for writing through to the disk.
// A private one (`owner`) has owner-only rights, else it takes its folder's.
HANDLE CreateTemporary(const std::string& path, bool owner, std::string& temp) {
    win32::OwnerOnly rights(false);
    for (int i = 0; i < 100; ++i) {
        temp = TemporaryPathOf(path, RandomLetters());
        HANDLE file = win32::OpenFile(temp, GENERIC_WRITE, CREATE_NEW, FILE_FLAG_WRITE_THROUGH,
                                      owner ? rights.Attributes() : nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Puts `temp` in the place of `path`: ReplaceFileW keeps the old file's attributes and access
// rights; a file that is new, or that another program holds open for a moment, is moved over.
bool PutInPlace(const std::wstring& temp, const std::wstring& path, bool exists) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        if (exists && ReplaceFileW(path.c_str(), temp.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return true;
        }
        if (MoveFileExW(temp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DWORD error = GetLastError();
        bool passing = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                       error == ERROR_LOCK_VIOLATION;
        if (!passing || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

FileWriteError::FileWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

void ReplaceFileAtomically(const std::string& path, std::string_view content, mode_t newFileMode) {
    // An existing file keeps its rights; a new one is its owner's when the mode says so.
    const std::wstring widePath = win32::WidePath(path);
    DWORD attributes = GetFileAttributesW(widePath.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
        throw FileWriteError(path);
    }
    std::string temp;
    HANDLE file = CreateTemporary(path, (newFileMode & 077) == 0, temp);
    if (file == INVALID_HANDLE_VALUE) throw FileWriteError(path);
    bool ok = win32::WriteAllTo(file, content) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    const std::wstring wideTemp = win32::WidePath(temp);
    if (!ok || !PutInPlace(wideTemp, widePath, exists)) {
        DeleteFileW(wideTemp.c_str());
        throw FileWriteError(path);
    }
}

void UpdateFileAtomically(
    const std::string& path,
    const std::function<std::string(const std::optional<std::string>&)>& change,
    mode_t newFileMode) {
    FileLock lock(FolderOf(path) + "/." + NameOf(path) + ".lock");
    if (!lock.Held()) throw FileWriteError(path);
    auto content = ReadWholeFile(path);
    // A file that exists but cannot be read must not be replaced by the change alone.
    if (!content && GetFileAttributesW(win32::WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        throw FileWriteError(path);
    }
    ReplaceFileAtomically(path, change(content), newFileMode);
}

int RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds minAge) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(win32::WidePath(folder + "/.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG cutoff = (ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart) -
                             static_cast<ULONGLONG>(minAge.count()) * 10'000'000ULL;
    int removed = 0;
    do {
        const std::string entry = win32::Utf8(found.cFileName);
        constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (!IsTemporaryName(entry) || (found.dwFileAttributes & kNotPlain)) continue;
        ULARGE_INTEGER written{
            {found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
        if (written.QuadPart > cutoff) continue;
        if (DeleteFileW(win32::WidePath(folder + "/" + entry).c_str())) ++removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    HANDLE file = win32::OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, n);
    }
    CloseHandle(file);
    return content;
}

}  // namespace nuvaro
