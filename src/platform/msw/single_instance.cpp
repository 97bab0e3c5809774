#include "platform/single_instance.h"

#include "core/exe_dir.h"

namespace nuvaro {

// On Windows the checker is the named mutex "Quorvel" of the user's session.
SingleInstance::SingleInstance() {
    m_checker = std::make_unique<wxSingleInstanceChecker>("Quorvel");
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
