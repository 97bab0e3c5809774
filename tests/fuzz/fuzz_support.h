#pragma once

// Shared by the fuzz targets: each defines LLVMFuzzerTestOneInput, which libFuzzer drives
// (scripts/fuzz) and replay_main.cpp feeds the seed inputs in the test run.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// A broken promise of the code under test: abort, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace nuvaro::fuzz {

// The input cut at NUL bytes into exactly `count` parts (missing ones empty, the last one
// taking the rest, NULs included).
inline std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        size_t nul = rest.find('\0');
        parts.emplace_back(rest.substr(0, nul));
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    }
    parts.emplace_back(rest);
    return parts;
}

inline bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != s.npos; }

}  // namespace nuvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
