#include "core/exe_dir.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "core/text_util.h"

namespace nuvaro {

std::string ExeFilePath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ResolveName(const std::string& dir, std::string_view name) {
    std::string exact = dir + "/" + std::string(name);
    if (access(exact.c_str(), F_OK) == 0) return exact;
    std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
    if (d) {
        while (dirent* entry = readdir(d.get())) {
            if (EqualsIgnoreAsciiCase(entry->d_name, name)) return dir + "/" + entry->d_name;
        }
    }
    return exact;
}

std::string FolderOfTest(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace nuvaro
