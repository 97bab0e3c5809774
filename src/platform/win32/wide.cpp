#include "platform/win32/wide.h"

#include <windows.h>

#include <algorithm>

namespace nuvaro::win32 {
namespace {

std::wstring ToWide(unsigned codePage, std::string_view text) {
    if (text.empty()) return {};
    int n =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

std::wstring Wide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring WidePath(std::string_view utf8Path) {
    std::wstring path = Wide(utf8Path);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string PathFromSystem(std::wstring_view path) {
    std::string out = Utf8(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::wstring WideFromGbk(std::string_view gbk) { return ToWide(936, gbk); }

std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : Utf8(text);
}

}  // namespace nuvaro::win32
