#include "notify/smtp_address.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

struct ServerCase {
    const char* name;
    std::string server, port;
    std::string url;  // empty: refused
    bool loopback;
};

class ParseSmtpServerTest : public ::testing::TestWithParam<ServerCase> {};

// The connection goes to the URL built here, so the loopback verdict is about that very host.
TEST_P(ParseSmtpServerTest, ReadsTheServerOnceAndBuildsTheUrlFromItsParts) {
    auto server = ParseSmtpServer(GetParam().server, GetParam().port);
    if (GetParam().url.empty()) {
        EXPECT_FALSE(server) << SmtpUrl(*server, "me");
        return;
    }
    ASSERT_TRUE(server);
    EXPECT_EQ(SmtpUrl(*server, "me"), GetParam().url);
    EXPECT_EQ(server->loopback, GetParam().loopback);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ParseSmtpServerTest,
    ::testing::Values(
        ServerCase{"PlainName", "smtp.example.com", "", "smtp://smtp.example.com:25/me", false},
        ServerCase{"PortField", " smtp.example.com ", "587", "smtp://smtp.example.com:587/me",
                   false},
        ServerCase{"PortInTheText", "smtp.example.com:2525", "", "smtp://smtp.example.com:2525/me",
                   false},
        ServerCase{"PortFieldWins", "smtp.example.com:2525", "587",
                   "smtp://smtp.example.com:587/me", false},
        ServerCase{"Port465IsTls", "smtp.example.com", "465", "smtps://smtp.example.com:465/me",
                   false},
        ServerCase{"SmtpsScheme", "SMTPS://mail.example.com", "", "smtps://mail.example.com:465/me",
                   false},
        ServerCase{"SmtpSchemeAndSlash", "smtp://mail.example.com/", "",
                   "smtp://mail.example.com:25/me", false},
        ServerCase{"Localhost", "localhost", "25", "smtp://localhost:25/me", true},
        ServerCase{"UpperCaseLocalhost", "LOCALHOST", "25", "smtp://LOCALHOST:25/me", true},
        ServerCase{"LocalhostWithFinalDot", "localhost.", "25", "smtp://localhost:25/me", true},
        ServerCase{"UnderLocalhost", "mail.Localhost", "25", "smtp://mail.Localhost:25/me", true},
        ServerCase{"LoopbackAddress", "127.0.0.2", "25", "smtp://127.0.0.2:25/me", true},
        ServerCase{"BracketedIpv6Loopback", "[::1]:2525", "", "smtp://[::1]:2525/me", true},
        ServerCase{"BareIpv6Loopback", "::1", "25", "smtp://[::1]:25/me", true},
        ServerCase{"BracketedIpv6Elsewhere", "[2001:db8::1]", "25", "smtp://[2001:db8::1]:25/me",
                   false},
        ServerCase{"MappedLoopback", "[::ffff:127.0.0.1]", "25", "smtp://[::ffff:127.0.0.1]:25/me",
                   true},
        ServerCase{"AnyAddressIsNotLoopback", "0.0.0.0", "25", "smtp://0.0.0.0:25/me", false},
        ServerCase{"LocalhostInsideAName", "localhost.example.com", "25",
                   "smtp://localhost.example.com:25/me", false},
        ServerCase{"PathAfterTheHost", "smtp.example.com/.localhost", "", "", false},
        ServerCase{"QueryAfterTheHost", "smtp.example.com?.localhost", "", "", false},
        ServerCase{"FragmentAfterTheHost", "smtp.example.com#.localhost", "", "", false},
        ServerCase{"SchemeAndPath", "smtp://smtp.example.com/.localhost", "", "", false},
        ServerCase{"UpperCasePath", "SMTP://smtp.example.com/.LOCALHOST.", "", "", false},
        ServerCase{"UserPart", "user@smtp.example.com", "", "", false},
        ServerCase{"UserPartBeforeLocalhost", "smtp.example.com@localhost", "", "", false},
        ServerCase{"Backslash", "smtp.example.com\\.localhost", "", "", false},
        ServerCase{"BlankInside", "smtp example.com", "", "", false},
        ServerCase{"PercentInside", "smtp.example.com%2f.localhost", "", "", false},
        ServerCase{"OtherScheme", "http://smtp.example.com", "", "", false},
        ServerCase{"BadPortInTheText", "smtp.example.com:x", "", "", false},
        ServerCase{"PortOutOfRange", "smtp.example.com:70000", "", "", false},
        ServerCase{"UnclosedBracket", "[::1", "25", "", false},
        ServerCase{"BracketsAroundAName", "[localhost]", "25", "", false},
        ServerCase{"ZoneIndex", "[fe80::1%25eth0]", "25", "", false},
        ServerCase{"Empty", "", "", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoopbackPin, KeepsALoopbackNameOnThisMachineAndLeavesAddressesAlone) {
    EXPECT_EQ(LoopbackPin(*ParseSmtpServer("LocalHost.", "2525")), "LocalHost:2525:127.0.0.1,::1");
    EXPECT_EQ(LoopbackPin(*ParseSmtpServer("a.localhost", "25")), "a.localhost:25:127.0.0.1,::1");
    EXPECT_EQ(LoopbackPin(*ParseSmtpServer("127.0.0.1", "25")), "");
    EXPECT_EQ(LoopbackPin(*ParseSmtpServer("smtp.example.com", "25")), "");
}

struct SecurityCase {
    const char* name;
    const char* server;
    const char* port;
    const char* security;
    bool implicitTls, requireTls;
};

class SecurityChoice : public ::testing::TestWithParam<SecurityCase> {};

// The account's own choice wins over the port; without one the port decides as it always did.
TEST_P(SecurityChoice, DecidesHowTheConnectionIsSecured) {
    const SecurityCase c = GetParam();
    auto server = ParseSmtpServer(c.server, c.port, c.security);
    ASSERT_TRUE(server);
    EXPECT_EQ(server->implicitTls, c.implicitTls);
    EXPECT_EQ(server->requireTls, c.requireTls);
    EXPECT_EQ(SmtpUrl(*server, "me").rfind(c.implicitTls ? "smtps://" : "smtp://", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SecurityChoice,
    ::testing::Values(
        SecurityCase{"NoKeyPort465", "smtp.qq.com", "465", "", true, false},
        SecurityCase{"NoKeyPort587", "smtp.gmail.com", "587", "", false, false},
        SecurityCase{"SslOnAnyPort", "smtp.example.com", "2465", "SSL", true, false},
        SecurityCase{"SslInLowerCase", "smtp.example.com", "25", " ssl ", true, false},
        SecurityCase{"StartTlsOn465", "smtp.example.com", "465", "STARTTLS", false, true},
        SecurityCase{"StartTlsOn587", "smtp.gmail.com", "587", "starttls", false, true},
        SecurityCase{"StartTlsButSmtpsWritten", "smtps://h.example.com", "", "STARTTLS", true,
                     false},
        SecurityCase{"UnknownValueActsAsNone", "h.example.com", "25", "TLS1.3", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvaro
