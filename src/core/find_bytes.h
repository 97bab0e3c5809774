#pragma once

#include <string_view>

namespace nuvaro {

// Whether `needle` occurs in `haystack` as bytes; an empty needle always does. Linear time on
// any input, at about the speed of the C library's memmem where it has one.
bool ContainsBytes(std::string_view haystack, std::string_view needle);

// The search ContainsBytes uses where the C library has no memmem; open for tests.
bool ContainsBytesPortable(std::string_view haystack, std::string_view needle);

}  // namespace nuvaro
