#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// The SHA-256 digest of `data` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace nuvaro
