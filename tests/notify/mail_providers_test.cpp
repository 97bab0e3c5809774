#include "notify/mail_providers.h"

#include <gtest/gtest.h>

#include <set>

#include "notify/smtp_address.h"

namespace nuvaro {
namespace {

TEST(MailProviders, EveryServiceNamesAServerThatParsesAndASecurityAndSaysWhatThePasswordIs) {
    const auto& providers = MailProviders();
    ASSERT_EQ(providers.size(), 9u);
    std::set<std::string> names;
    for (size_t i = 0; i + 1 < providers.size(); ++i) {
        const MailProvider& p = providers[i];
        SCOPED_TRACE(p.name);
        names.insert(p.name);
        auto server = ParseSmtpServer(p.server, p.port, p.security);
        ASSERT_TRUE(server);
        // As the service documents it: 465 with TLS at once, 587 upgraded.
        EXPECT_EQ(server->implicitTls, std::string(p.port) == "465");
        EXPECT_EQ(server->requireTls, std::string(p.port) == "587");
        EXPECT_NE(std::string(p.note).find("密码处填写"), std::string::npos);
        EXPECT_EQ(ProviderOfServer(p.server), i);
    }
    EXPECT_EQ(names.size(), providers.size() - 1);
    EXPECT_EQ(std::string(providers.back().name), "自定义");
    EXPECT_EQ(std::string(providers.back().server), "");
    // The services that want an authorization code instead of the password say so.
    for (size_t i : {0, 1, 2, 3}) {
        EXPECT_NE(std::string(providers[i].note).find("授权码"), std::string::npos)
            << providers[i].name;
    }
}

TEST(MailProviders, AServerIsKnownWhateverItsCaseBlanksOrSchemeAndAnyOtherIsCustom) {
    const size_t custom = MailProviders().size() - 1;
    EXPECT_EQ(ProviderOfServer(" SMTP.QQ.com "), 0u);
    EXPECT_EQ(ProviderOfServer("smtps://smtp.163.com/"), 1u);
    EXPECT_EQ(ProviderOfServer("smtp.qq.com.evil.example"), custom);
    EXPECT_EQ(ProviderOfServer("127.0.0.1"), custom);
    EXPECT_EQ(ProviderOfServer(""), custom);
}

TEST(MailProviders, SecurityValuesAreReadWithoutRegardToCase) {
    EXPECT_EQ(ParseMailSecurity(" ssl "), "SSL");
    EXPECT_EQ(ParseMailSecurity("StartTLS"), "STARTTLS");
    EXPECT_EQ(ParseMailSecurity(""), "");
    EXPECT_FALSE(ParseMailSecurity("TLS"));
}

}  // namespace
}  // namespace nuvaro
