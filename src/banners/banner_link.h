#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvaro {

// What a banner click hands to the shell for `link`, or nullopt when the link must not be
// opened. Only web addresses leave: an http:// or https:// address as it is, a link without a
// scheme with "http://" in front. Anything else (another scheme, a local path, a program name,
// blanks or control characters) is refused, since the links come from the network and the
// shell would run a program as readily as it opens a page. Bytes above 0x7F are
// percent-encoded, so the address reads the same whatever code page the shell assumes.
std::optional<std::string> BannerLinkTarget(std::string_view link);

}  // namespace nuvaro
