#pragma once

#include <string>
#include <string_view>

namespace nuvaro::win32 {

// The program keeps paths as UTF-8 with '/' between folders; the system's wide functions take
// UTF-16. These convert at that boundary.

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A path for the wide file functions: '/' becomes '\'.
std::wstring WidePath(std::string_view utf8Path);
// A path from the system: '\' becomes '/'.
std::string PathFromSystem(std::wstring_view path);

// GBK (code page 936) -> UTF-16, for texts the settings hold (program paths, parameters).
std::wstring WideFromGbk(std::string_view gbk);

// The system's message for error `code` (GetLastError), UTF-8, without the trailing line end.
std::string SystemMessage(unsigned long code);

}  // namespace nuvaro::win32
