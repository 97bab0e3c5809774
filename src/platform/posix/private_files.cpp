#include "core/private_files.h"

#include <ftw.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>

namespace nuvaro {
namespace {

std::atomic<bool> g_restricted{false};
std::atomic<mode_t> g_userMask{022};

void TakeAwayOthers(const char* path, const struct stat& st) {
    if ((st.st_mode & 077) != 0) chmod(path, st.st_mode & 07700);
}

int Visit(const char* path, const struct stat* st, int type, FTW*) {
    if (type == FTW_F || type == FTW_D || type == FTW_DP) TakeAwayOthers(path, *st);
    return 0;  // go on whatever fails
}

}  // namespace

void KeepNewFilesPrivate() {
    const mode_t old = umask(077);
    if (!g_restricted.exchange(true)) g_userMask = old;
}

mode_t UserFileMask() {
    if (g_restricted) return g_userMask;
    const mode_t current = umask(077);  // reading the mask means setting it
    umask(current);
    return current;
}

void MakePrivate(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return;
    if (S_ISREG(st.st_mode)) return TakeAwayOthers(path.c_str(), st);
    if (!S_ISDIR(st.st_mode)) return;
    // The folder itself may be a link (a Log kept elsewhere): its files are the user's all the
    // same. Links below it are not followed.
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return;
    nftw(real, Visit, 16, FTW_PHYS);
    free(real);
}

}  // namespace nuvaro
