#include "core/exe_dir.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace nuvaro {

std::string ExeFilePath() {
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return win32::PathFromSystem(std::wstring_view(buffer.data(), n));
}

// Windows compares file names without regard to case itself.
std::string ResolveName(const std::string& dir, std::string_view name) {
    return dir + "/" + std::string(name);
}

std::string FolderOfTest(std::string dir) {
    for (char& c : dir) {
        if (c == '\\') c = '/';
    }
    while (dir.size() > 3 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace nuvaro
