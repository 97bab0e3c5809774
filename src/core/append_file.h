#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// Appends `data` to `path` (created for its owner only when missing) whole or not at all: when the
// system takes only part of it (a full disk), the file is cut back to where it was, and a file this
// call created is removed again. Appends of other writers to the file wait for it (advisory lock).
// True when the data was written.
bool AppendWhole(const std::string& path, std::string_view data);

// Writes all of `data` to `fd`, going on after short writes; false when the system stops
// taking it.
bool WriteAll(int fd, std::string_view data);

}  // namespace nuvaro
