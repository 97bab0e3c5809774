#include "core/dynamic_library.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>

namespace nuvaro {

void* OpenLibrary(const std::string& path, std::string& error) {
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : "";
    }
    return handle;
}

void* LibraryFunction(void* library, const char* name) {
    dlerror();
    return dlsym(library, name);
}

std::string PathOfCodeAt(const void* address) {
    Dl_info info{};
    if (dladdr(const_cast<void*>(address), &info) == 0 || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
}

}  // namespace nuvaro
