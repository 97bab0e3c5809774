#include "banners/banner_link.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

struct LinkCase {
    std::string link;
    std::optional<std::string> opened;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << '"' << c.link << '"'; }

class BannerLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(BannerLinkTest, OpensOnlyWebAddresses) {
    EXPECT_EQ(BannerLinkTarget(GetParam().link), GetParam().opened) << GetParam().link;
}

INSTANTIATE_TEST_SUITE_P(
    WebAddresses, BannerLinkTest,
    ::testing::Values(LinkCase{"https://example.com/a?b=1#c", "https://example.com/a?b=1#c"},
                      LinkCase{"http://example.com/x", "http://example.com/x"},
                      LinkCase{"HTTPS://Example.com", "HTTPS://Example.com"},
                      LinkCase{"http://user@example.com:8080/", "http://user@example.com:8080/"},
                      LinkCase{"http://[::1]:8080/p", "http://[::1]:8080/p"},
                      LinkCase{" http://example.com/x\r\n", "http://example.com/x"},
                      // Bytes above 0x7F leave percent-encoded.
                      LinkCase{"http://example.com/\xE6\x96\xB0", "http://example.com/%E6%96%B0"}));

INSTANTIATE_TEST_SUITE_P(
    WithoutScheme, BannerLinkTest,
    ::testing::Values(LinkCase{"www.example.com/news", "http://www.example.com/news"},
                      LinkCase{"example.com:8080/x", "http://example.com:8080/x"},
                      LinkCase{"localhost:8080", "http://localhost:8080"},
                      LinkCase{"127.0.0.1", "http://127.0.0.1"},
                      // A bare name becomes a web address, which the desktop opens in a browser.
                      LinkCase{"notepad.exe", "http://notepad.exe"}));

INSTANTIATE_TEST_SUITE_P(
    Refused, BannerLinkTest,
    ::testing::Values(
        LinkCase{"", std::nullopt}, LinkCase{" \t\r\n", std::nullopt},
        LinkCase{"ftp://example.com/f", std::nullopt}, LinkCase{"file:///etc/passwd", std::nullopt},
        LinkCase{"javascript:alert(1)", std::nullopt},
        LinkCase{"mailto:a@example.com", std::nullopt},
        LinkCase{"C:\\Windows\\calc.exe", std::nullopt}, LinkCase{"/usr/bin/xterm", std::nullopt},
        LinkCase{"./run.sh", std::nullopt}, LinkCase{"~/bin/x", std::nullopt},
        LinkCase{"..\\x.exe", std::nullopt}, LinkCase{"calc.exe http://example.com", std::nullopt},
        LinkCase{"xterm -e http://x", std::nullopt}, LinkCase{"http://", std::nullopt},
        LinkCase{"https://", std::nullopt}, LinkCase{"http:///etc/passwd", std::nullopt},
        LinkCase{"http://host:abc/", std::nullopt}, LinkCase{"http://exa mple.com", std::nullopt},
        LinkCase{"http://example.com/\x01x", std::nullopt}, LinkCase{"http://x\\y", std::nullopt}));

}  // namespace
}  // namespace nuvaro
