#include "config/settings_files.h"

#include "config/autostart.h"
#include "core/atomic_file.h"
#include "core/exe_dir.h"
#include "core/private_files.h"

namespace nuvaro {
namespace {

std::string FolderOf(const std::string& file) {
    const size_t slash = file.find_last_of('/');
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

}  // namespace

int RemoveStaleSettingsTemporaries() {
    int removed = RemoveStaleTemporaries(ExeDir());
    // The start-at-logon entry may be a file of its own elsewhere.
    for (const std::string& file : NewAutostartStore()->Files()) {
        if (FolderOf(file) != ExeDir()) removed += RemoveStaleTemporaries(FolderOf(file));
    }
    return removed;
}

void MakeKeptFilesPrivate() {
    // runstate.inf and outbox.inf: the saved run state and the notices waiting for their server.
    for (const char* name : {"Config.inf", "email.inf", "sms.inf", "push.inf", "runstate.inf",
                             "outbox.inf", "Log", "Browser"}) {
        MakePrivate(ExeDirFile(name));
    }
}

}  // namespace nuvaro
