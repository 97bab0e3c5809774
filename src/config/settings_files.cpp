#include "config/settings_files.h"

#include "banners/banner_cache.h"
#include "config/autostart.h"
#include "core/atomic_file.h"
#include "core/exe_dir.h"

namespace nuvaro {

int RemoveStaleSettingsTemporaries() {
    auto autostart = NewAutostartStore();
    int removed = 0;
    for (const char* name : {"Config.inf", "email.inf", kBannerCacheFile}) {
        removed += RemoveStaleTemporaries(ExeDirFile(name));
    }
    for (const std::string& file : autostart->Files()) removed += RemoveStaleTemporaries(file);
    return removed;
}

}  // namespace nuvaro
