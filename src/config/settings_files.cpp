#include "config/settings_files.h"

#include "core/atomic_file.h"
#include "core/exe_dir.h"
#include "core/private_files.h"

namespace nuvaro {

int RemoveStaleSettingsTemporaries() { return RemoveStaleTemporaries(ExeDir()); }

void MakeKeptFilesPrivate() {
    // runstate.inf and outbox.inf: the saved run state and the notices waiting for their server.
    for (const char* name : {"Config.inf", "email.inf", "sms.inf", "runstate.inf", "outbox.inf",
                             "Log", "Browser"}) {
        MakePrivate(ExeDirFile(name));
    }
}

}  // namespace nuvaro
