#include "notify/account_text.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

class MailAccountRoundTrip : public ::testing::TestWithParam<MailAccount> {};

TEST_P(MailAccountRoundTrip, EveryByteOfEveryFieldSurvives) {
    auto decoded = DecodeMailAccount(EncodeMailAccount(GetParam()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->smtp, GetParam().smtp);
    EXPECT_EQ(decoded->port, GetParam().port);
    EXPECT_EQ(decoded->user, GetParam().user);
    EXPECT_EQ(decoded->password, GetParam().password);
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, MailAccountRoundTrip,
    ::testing::Values(MailAccount{"smtp.example.com", "587", "me@example.com", "secret"},
                      MailAccount{"", "", "", ""},
                      MailAccount{"h", "25", "u", "p|a%s=s;w\"d\r\n |"},
                      MailAccount{"h", "25", "u", std::string("\x00\xFF\x81\x7C", 4)},
                      MailAccount{"|", "%", "%7C", "email|a|b|c|d"}));

TEST(AccountText, FieldsCarryNoSeparatorBytes) {
    std::string text = EncodeMailAccount({"a|b", "1", "u", "x|y"});
    EXPECT_EQ(text, "email|a%7Cb|1|u|x%7Cy");
}

TEST(AccountText, RejectsTextsOfAnotherKindOrBrokenEscapes) {
    EXPECT_FALSE(DecodeMailAccount(""));
    EXPECT_FALSE(DecodeMailAccount(EncodeSmsIdentity({"a", "b"})));
    EXPECT_FALSE(DecodeMailAccount("email|a|b|c"));
    EXPECT_FALSE(DecodeMailAccount("email|a|b|c|d|e|f"));
    EXPECT_FALSE(DecodeMailAccount("email|a|b|c|%G1"));
    EXPECT_FALSE(DecodeMailAccount("email|a|b|c|%4"));
    EXPECT_FALSE(DecodeSmsIdentity(EncodeMailAccount({})));
}

// The security choice travels only when there is one: a text of four fields is as before.
TEST(AccountText, TheSecurityChoiceIsAFifthFieldOnlyWhenChosen) {
    EXPECT_EQ(EncodeMailAccount({"h", "25", "u", "p"}), "email|h|25|u|p");
    EXPECT_EQ(EncodeMailAccount({"h", "25", "u", "p", "SSL"}), "email|h|25|u|p|SSL");
    auto old = DecodeMailAccount("email|h|25|u|p");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->security, "");
    auto chosen = DecodeMailAccount("email|h|25|u|p|STARTTLS");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->password, "p");
    EXPECT_EQ(chosen->security, "STARTTLS");
}

TEST(AccountText, SmsIdentityRoundTrip) {
    auto id = DecodeSmsIdentity(EncodeSmsIdentity({"acc|1", "t%k"}));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->account, "acc|1");
    EXPECT_EQ(id->token, "t%k");
}

}  // namespace
}  // namespace nuvaro
