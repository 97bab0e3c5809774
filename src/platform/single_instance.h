#pragma once

#include <wx/defs.h>
#include <wx/snglinst.h>

#include <memory>

#include "core/file_lock.h"

namespace nuvaro {

// The named lock "Quorvel" that lets one copy of the program run at a time for a user, and the
// lock file "nuvaro.lock" in the program's own folder that lets one copy at a time use the
// files there, whatever session or user started it.
class SingleInstance {
  public:
    static constexpr const char* kFolderLockFile = "nuvaro.lock";

    SingleInstance();
    // Whether another copy already holds the named lock.
    bool AnotherIsRunning() const;
    // Whether another copy holds the folder's lock: taken now when free, held for life.
    bool FolderInUse();

  private:
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    std::unique_ptr<FileLock> m_folderLock;
};

}  // namespace nuvaro
