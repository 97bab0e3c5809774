#pragma once

#include <sys/types.h>

#include <string>

namespace nuvaro {

// What the program keeps about its user (logins, addresses, passwords, logs, outbox) is
// readable by its owner only.
inline constexpr mode_t kPrivateFileMode = 0600;
inline constexpr mode_t kPrivateFolderMode = 0700;

// From now on files and folders that this process and the processes it starts (the browser
// engine's) make are owner-only, whatever modes their makers ask for. Programs started for
// the user get UserFileMask() back.
void KeepNewFilesPrivate();

// The file mode mask the program was started with.
mode_t UserFileMask();

// Takes the group's and others' permissions from the file `path` (a link is followed to its
// file), or from the folder `path` (a link is followed to its folder) and everything below it
// (links there are neither followed nor changed, nor is a link to a folder). Failures are
// ignored.
void MakePrivate(const std::string& path);

}  // namespace nuvaro
