#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// The program is portable: every file it keeps lies in the folder of its executable.

// Full path of the running executable (from /proc/self/exe), with '/' between names.
std::string ExeFilePath();

// Folder of the executable, without a trailing slash.
std::string ExeDir();

// Path of `name` inside the executable's folder. Names are matched without regard to ASCII
// case, so a folder copied from Windows ("config.inf", "log") is found; when nothing matches,
// the name is used as given.
std::string ExeDirFile(std::string_view name);

// Path of `name` inside `dir`, matched as ExeDirFile does.
std::string ResolveName(const std::string& dir, std::string_view name);

// Tests point the program at a temporary folder; an empty text restores the real one.
void SetExeDirForTesting(std::string dir);

// A folder a test names, written as ExeDir() writes one (each system's own).
std::string FolderOfTest(std::string dir);

}  // namespace nuvaro
