#pragma once

#include <array>
#include <string>
#include <string_view>

namespace nuvaro {

// The nine values of one announcement reply, in reply order, as the endpoint sends them: the
// texts UTF-8, the links and the version the reply's bytes.
struct Announcement {
    std::string AD1, AD2, AD3, Regurl, Ver, ADurl1, ADurl2, ADurl3, OutUrl;

    static constexpr size_t kCount = 9;
    // The cache keys, in reply order (which is also the order they are written in).
    static constexpr std::array<const char*, kCount> kKeys = {
        "AD1", "AD2", "AD3", "Regurl", "Ver", "ADurl1", "ADurl2", "ADurl3", "OutUrl"};

    std::string& operator[](size_t i);
    const std::string& operator[](size_t i) const;
    bool operator==(const Announcement&) const = default;
};

// Splits a reply, as undecoded bytes, at "||". Each of the first eight values is what precedes
// the first separator, which is removed with it; when no separator is left, the value is empty
// and the rest of the reply still loses its first byte. The ninth value is whatever remains,
// further separators included.
Announcement SplitReply(std::string_view reply);

}  // namespace nuvaro
