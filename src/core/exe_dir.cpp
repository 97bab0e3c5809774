#include "core/exe_dir.h"

#include <mutex>

namespace nuvaro {
namespace {

std::mutex g_overrideMutex;
std::string g_override;

}  // namespace

std::string ExeDir() {
    {
        std::lock_guard lock(g_overrideMutex);
        if (!g_override.empty()) return g_override;
    }
    std::string path = ExeFilePath();
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ExeDirFile(std::string_view name) { return ResolveName(ExeDir(), name); }

void SetExeDirForTesting(std::string dir) {
    dir = FolderOfTest(std::move(dir));
    std::lock_guard lock(g_overrideMutex);
    g_override = std::move(dir);
}

}  // namespace nuvaro
