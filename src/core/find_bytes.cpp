#include "core/find_bytes.h"

#include <string.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace nuvaro {
namespace {

bool SearchHorspool(std::string_view haystack, std::string_view needle) {
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(haystack.begin(), haystack.end(), searcher) != haystack.end();
}

// memchr for the needle's first byte, then a compare. Fast on real pages, where the first
// byte is rare; once false candidates cost more than the bytes scanned, the rest goes to
// Horspool, whose skips do not depend on how often one byte occurs.
bool SearchFirstByte(std::string_view haystack, std::string_view needle) {
    const char* at = haystack.data();
    const char* const end = haystack.data() + haystack.size();
    const size_t rest = needle.size() - 1;
    size_t wasted = 0;
    while (static_cast<size_t>(end - at) >= needle.size()) {
        const size_t span = static_cast<size_t>(end - at) - rest;
        const void* hit = std::memchr(at, static_cast<unsigned char>(needle[0]), span);
        if (hit == nullptr) return false;
        at = static_cast<const char*>(hit);
        if (std::memcmp(at + 1, needle.data() + 1, rest) == 0) return true;
        ++at;
        wasted += needle.size();
        if (wasted > static_cast<size_t>(at - haystack.data()) + 4096)
            return SearchHorspool(std::string_view(at, static_cast<size_t>(end - at)), needle);
    }
    return false;
}

}  // namespace

bool ContainsBytes(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return true;
    if (needle.size() > haystack.size()) return false;
#if defined(__GLIBC__)
    return memmem(haystack.data(), haystack.size(), needle.data(), needle.size()) != nullptr;
#else
    return ContainsBytesPortable(haystack, needle);
#endif
}

bool ContainsBytesPortable(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return true;
    if (needle.size() > haystack.size()) return false;
    return SearchFirstByte(haystack, needle);
}

}  // namespace nuvaro
