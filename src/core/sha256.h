#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// The SHA-256 digest of `data`: 32 bytes.
std::string Sha256Digest(std::string_view data);
// The same as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);
// HMAC-SHA256 of `message` keyed by `key` (RFC 2104): 32 bytes.
std::string HmacSha256(std::string_view key, std::string_view message);

}  // namespace nuvaro
