#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace nuvaro {

// How long a `Retry-After` header asks to wait, from `now`: delay seconds ("120") or an HTTP
// date ("Sun, 06 Nov 1994 08:49:37 GMT", also the two obsolete forms). A date already past
// asks for no wait. Nullopt for anything else (empty, negative, fractions, junk); a huge
// value comes out huge (the caller caps it).
std::optional<std::chrono::seconds> RetryAfterDelay(std::string_view value,
                                                    std::chrono::system_clock::time_point now);

// Seconds since 1970 of an HTTP date (GMT), or nullopt.
std::optional<long long> ParseHttpDate(std::string_view text);

}  // namespace nuvaro
