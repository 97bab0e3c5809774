#include "core/private_files.h"

#include "platform/win32/owner_only.h"
#include "platform/win32/wide.h"

namespace nuvaro {

// Windows has no file mode mask: what is made takes the access rights of its folder. The
// folders that hold what the program keeps get owner-only rights (MakePrivate, MakeFolder) that
// pass on to everything made in them, and new settings files get them as they are written.
void KeepNewFilesPrivate() {}

mode_t UserFileMask() { return 0; }

void MakePrivate(const std::string& path) {
    const std::wstring wide = win32::WidePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // A link is not followed: its target may be anybody's.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
    win32::OwnerOnly(attributes & FILE_ATTRIBUTE_DIRECTORY).ApplyTo(wide);
}

}  // namespace nuvaro
