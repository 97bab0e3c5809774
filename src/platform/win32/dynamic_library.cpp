#include "core/dynamic_library.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace nuvaro {

void* OpenLibrary(const std::string& path, std::string& error) {
    // The library's own dependencies come from its folder and the system's, never from the
    // current folder or PATH.
    HMODULE module =
        LoadLibraryExW(win32::WidePath(path).c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) error = win32::SystemMessage(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* LibraryFunction(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string PathOfCodeAt(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        return {};
    }
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return win32::PathFromSystem(std::wstring_view(buffer.data(), n));
}

}  // namespace nuvaro
