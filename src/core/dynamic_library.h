#pragma once

#include <string>

namespace nuvaro {

// Loadable libraries of the system (shared objects here, DLLs on Windows).

// Loads the library at the full path `path`; its own dependencies are looked for beside it and
// among the system's libraries, never in the current folder. Null on failure, with the system's
// reason in `error`.
void* OpenLibrary(const std::string& path, std::string& error);

// The exported function `name` of a loaded library, or null.
void* LibraryFunction(void* library, const char* name);

// Full path of the loaded library (or executable) whose code holds `address`; empty when unknown.
std::string PathOfCodeAt(const void* address);

}  // namespace nuvaro
