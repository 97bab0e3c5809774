#include "notify/mail_message.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/notify_helpers.h"

namespace nuvaro {
namespace {

TEST(Base64, KnownVectorsAndLineWrapping) {
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64(std::string("\xFF\xFE\x00", 3)), "//4A");
    EXPECT_EQ(Base64("foobar", 4), "Zm9v\r\nYmFy\r\n");
    EXPECT_EQ(Base64("fooba", 4), "Zm9v\r\nYmE=\r\n");
}

TEST(EncodeHeaderText, PlainAsciiStaysAsItIs) {
    EXPECT_EQ(EncodeHeaderText("Price alert"), "Price alert");
    // Text that looks like an encoded word must not be read as one.
    EXPECT_NE(EncodeHeaderText("=?x?="), "=?x?=");
}

TEST(EncodeHeaderText, LongChineseTextBecomesShortWordsThatNeverSplitACharacter) {
    std::string subject;
    for (int i = 0; i < 40; ++i) subject += "提醒";  // 240 bytes of 3-byte characters
    std::string encoded = EncodeHeaderText(subject);
    std::regex word(R"(=\?UTF-8\?B\?([A-Za-z0-9+/=]+)\?=)");
    size_t words = 0;
    for (const auto& line : testing::CrLfLines(encoded)) {
        std::string text = words == 0 ? line : line.substr(1);  // continuation lines begin " "
        if (words > 0) {
            EXPECT_EQ(line[0], ' ');
        }
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, word)) << text;
        EXPECT_LE(text.size(), 75u);
        // Whole characters only: a 3-byte character is 4 base64 characters, no padding.
        EXPECT_EQ(m[1].str().find('='), std::string::npos);
        EXPECT_EQ(m[1].length() % 4, 0);
        ++words;
    }
    EXPECT_GT(words, 3u);
}

TEST(ComposeMail, HeadersAndA76ColumnBase64BodyWithCrLfLines) {
    MailMessage mail{"from@example.com", "to@example.com", "价格提醒", "第一行\n第二行", 0,
                     "id.1@example.com"};
    std::string text = ComposeMail(mail);
    auto split = text.find("\r\n\r\n");
    ASSERT_NE(split, std::string::npos);
    std::string headers = text.substr(0, split + 2);
    EXPECT_NE(headers.find("From: <from@example.com>\r\n"), std::string::npos);
    EXPECT_NE(headers.find("To: <to@example.com>\r\n"), std::string::npos);
    EXPECT_NE(headers.find("Subject: =?UTF-8?B?"), std::string::npos);
    EXPECT_NE(headers.find("Message-ID: <id.1@example.com>\r\n"), std::string::npos);
    EXPECT_NE(headers.find("Content-Type: text/plain; charset=UTF-8\r\n"), std::string::npos);
    EXPECT_NE(headers.find("Content-Transfer-Encoding: base64\r\n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(headers, std::regex("Date: \\w{3}, \\d{2} \\w{3} \\d{4} "
                                                      "\\d{2}:\\d{2}:\\d{2} [+-]\\d{4}\r\n")));
    EXPECT_EQ(text.substr(split + 4), Base64("第一行\r\n第二行", 76));
}

TEST(ComposeMail, LineBreaksInHeaderFieldsCannotAddHeaders) {
    MailMessage mail{"a@x", "b@x\r\nBcc: victim@x", "s\r\nBcc: victim@x", "", 0, "i@x"};
    std::string text = ComposeMail(mail);
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
}

// Caught by the line check of the mail_record fuzz target
// (tests/fuzz/mail_record/long_ascii_subject).
TEST(ComposeMail, ALongPlainSubjectIsFoldedSoNoLinePassesTheLimit) {
    MailMessage mail{"a@x", "b@x", std::string(1200, 'S'), "", 0, "i@x"};
    std::string text = ComposeMail(mail);
    for (const auto& line : testing::CrLfLines(text)) EXPECT_LE(line.size(), 998u);
    EXPECT_NE(text.find("Subject: =?UTF-8?B?"), std::string::npos);
}

TEST(NewMessageId, IsUniqueAndNamesTheDomain) {
    std::string a = NewMessageId("example.com"), b = NewMessageId("example.com");
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.size() > 12 && a.substr(a.size() - 12) == "@example.com");
    EXPECT_NE(NewMessageId("").find("@localhost"), std::string::npos);
}

}  // namespace
}  // namespace nuvaro
