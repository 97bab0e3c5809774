#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvaro {

// How many random letters or digits a write's temporary name holds.
inline constexpr size_t kTemporaryLetters = 6;

// The name of a temporary file of a write of `path`, beside it: ".<name>.<letters>.nuvaro-tmp"
// (`letters`: kTemporaryLetters of them, or "XXXXXX" for mkstemps to fill in).
std::string TemporaryPathOf(const std::string& path, std::string_view letters);

// Whether a folder entry is named exactly as a write names its temporary files.
bool IsTemporaryName(std::string_view entry);

}  // namespace nuvaro
