#include "config/settings_files.h"

#include "banners/banner_cache.h"
#include "core/atomic_file.h"
#include "core/exe_dir.h"
#include "platform/posix/autostart.h"

namespace nuvaro {

int RemoveStaleSettingsTemporaries() {
    AutostartStore autostart;
    int removed = 0;
    for (const char* name : {"Config.inf", "email.inf", kBannerCacheFile}) {
        removed += RemoveStaleTemporaries(ExeDirFile(name));
    }
    removed += RemoveStaleTemporaries(autostart.RegFile());
    removed += RemoveStaleTemporaries(autostart.RunEntryFile());
    return removed;
}

}  // namespace nuvaro
