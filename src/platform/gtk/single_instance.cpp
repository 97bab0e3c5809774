#include "platform/single_instance.h"

#include <wx/utils.h>

#include <cstdlib>

#include "core/exe_dir.h"

namespace nuvaro {

SingleInstance::SingleInstance() {
    // The lock file lives in the user's runtime folder when there is one, else in the home.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    wxString folder = runtime && *runtime ? wxString::FromUTF8(runtime) : wxGetHomeDir();
    m_checker = std::make_unique<wxSingleInstanceChecker>("Quorvel", folder);
}

bool SingleInstance::AnotherIsRunning() const { return m_checker->IsAnotherRunning(); }

bool SingleInstance::FolderInUse() {
    if (!m_folderLock) {
        m_folderLock =
            std::make_unique<FileLock>(ExeDirFile(kFolderLockFile), std::chrono::milliseconds(0));
    }
    return !m_folderLock->Held();
}

}  // namespace nuvaro
