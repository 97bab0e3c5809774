#include "core/exe_dir.h"

#include <windows.h>

#include <mutex>

#include "platform/win32/wide.h"

namespace nuvaro {
namespace {

std::mutex g_overrideMutex;
std::string g_override;

}  // namespace

std::string ExeFilePath() {
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return win32::PathFromSystem(std::wstring_view(buffer.data(), n));
}

std::string ExeDir() {
    {
        std::lock_guard lock(g_overrideMutex);
        if (!g_override.empty()) return g_override;
    }
    std::string path = ExeFilePath();
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Windows compares file names without regard to case itself.
std::string ResolveName(const std::string& dir, std::string_view name) {
    return dir + "/" + std::string(name);
}

std::string ExeDirFile(std::string_view name) { return ResolveName(ExeDir(), name); }

void SetExeDirForTesting(std::string dir) {
    std::lock_guard lock(g_overrideMutex);
    for (char& c : dir) {
        if (c == '\\') c = '/';
    }
    while (dir.size() > 3 && dir.back() == '/') dir.pop_back();
    g_override = std::move(dir);
}

}  // namespace nuvaro
