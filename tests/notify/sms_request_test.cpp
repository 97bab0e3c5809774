#include "notify/sms_request.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/text_util.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;

struct NumberCase {
    std::string mobile, code, expected;
};

class InternationalNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(InternationalNumberTest, ComposesTheNumberWithItsCountryCode) {
    EXPECT_EQ(InternationalNumber(GetParam().mobile, GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, InternationalNumberTest,
                         ::testing::Values(NumberCase{"13800138000", "+86", "+8613800138000"},
                                           NumberCase{" 138-0013-8000 ", "86", "+8613800138000"},
                                           NumberCase{"+447700900123", "+86", "+447700900123"},
                                           NumberCase{"00447700900123", "+86", "+447700900123"},
                                           NumberCase{"5550100", "", "5550100"},
                                           NumberCase{"2025550100", " +1 ", "+12025550100"}));

TEST(SplitRecipientList, SeparatesAtCommasSemicolonsAndBlanksAsciiOrFullWidth) {
    auto split = [](std::string_view utf8) {
        std::vector<std::string> bytes;
        for (const GbkText& entry : SplitRecipientList(ToGbk(utf8))) bytes.push_back(entry.bytes());
        return bytes;
    };
    EXPECT_EQ(split("1,2;3 4"), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(split("1，2；3　4、5"), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(split("a@example.com，b@example.com"),
              (std::vector<std::string>{"a@example.com", "b@example.com"}));
    EXPECT_EQ(split(",, ;"), std::vector<std::string>{});
}

TEST(UrlEncode, KeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(UrlEncode("aZ9-._~"), "aZ9-._~");
    EXPECT_EQ(UrlEncode("a b&c=d+e/"), "a%20b%26c%3Dd%2Be%2F");
    EXPECT_EQ(UrlEncode("\xE4\xB8\xAD"), "%E4%B8%AD");
}

// GBK text is walked by characters: a trail byte 0x5C is no backslash, 0x41 no letter.
TEST(SmsEscaping, GbkTextIsEscapedByCharacterNeverByByte) {
    const std::string text = G("乗") + "\"\x81\x41\\\n\x01";  // 81 5C, 81 41
    EXPECT_EQ(JsonEscape(text, TextCharset::Gbk), G("乗") + "\\\"\x81\x41\\\\\\n\\u0001");
    EXPECT_EQ(UrlEncode(G("乗") + "\x81\x41"
                                  "a",
                        TextCharset::Gbk),
              "%81%5C%81%41a");
    EXPECT_EQ(JsonEscape("价\"\\", TextCharset::Utf8), "价\\\"\\\\");
    // A lead byte without its trail would take the escape's backslash as its own.
    EXPECT_EQ(JsonEscape("\x81\"\x80", TextCharset::Gbk), "?\\\"\x80");
    EXPECT_EQ(JsonEscape("\xE4\"", TextCharset::Utf8), "?\\\"");
}

IniDocument SmsInf(const std::string& body) { return IniDocument::Parse("[sms]\r\n" + body); }

TEST(BuildSmsRequest, GetPlacesEveryValueUrlEncodedInTheAddress) {
    SmsGateway g = ReadSmsGateway(SmsInf(
        "Gateway=http://gw/send?to={number}&i={intl}&m={mobile}&c={code}&t={text}&u={account}"
        "&k={token}\r\n"));
    SmsRequest r = BuildSmsRequest(g, {"me&you", "t/k"}, "13800138000", "+86", G("到货 了"));
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.url,
              "http://gw/send?to=%2B8613800138000&i=8613800138000&m=13800138000&c=%2B86"
              "&t=%E5%88%B0%E8%B4%A7%20%E4%BA%86&u=me%26you&k=t%2Fk");
    EXPECT_TRUE(r.body.empty());
}

TEST(BuildSmsRequest, PostFormBodyJsonBodyAndAnExtraHeader) {
    SmsGateway form =
        ReadSmsGateway(SmsInf("Gateway=http://gw/\r\nBody=to={number}&msg={text}\r\n"));
    SmsRequest r = BuildSmsRequest(form, {}, "1", "+86", "a&b");
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.body, "to=%2B861&msg=a%26b");
    EXPECT_EQ(r.headers,
              std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded"});

    SmsGateway json = ReadSmsGateway(
        SmsInf("Gateway=http://gw/\r\nMethod=post\r\nContentType=application/json\r\n"
               "Body={\"to\":\"{number}\",\"text\":\"{text}\"}\r\n"
               "Header=Authorization: Bearer {token}\r\n"));
    r = BuildSmsRequest(json, {"a", "tok"}, "1", "+86", "say \"hi\"\\");
    EXPECT_EQ(r.body, R"({"to":"+861","text":"say \"hi\"\\"})");
    EXPECT_EQ(r.headers, (std::vector<std::string>{"Content-Type: application/json",
                                                   "Authorization: Bearer tok"}));
}

TEST(BuildSmsRequest, GbkCharsetSendsTheTextsOwnBytes) {
    SmsGateway g = ReadSmsGateway(SmsInf("Gateway=http://gw/?t={text}\r\nCharset=GBK\r\n"));
    EXPECT_EQ(BuildSmsRequest(g, {}, "1", "", G("中")).url, "http://gw/?t=%D6%D0");
}

TEST(BuildSmsRequest, AGbkJsonBodyClosesNoStringEarly) {
    SmsGateway g = ReadSmsGateway(
        SmsInf("Gateway=http://gw/\r\nContentType=application/json\r\nCharset=GBK\r\n"
               "Body={\"text\":\"{text}\",\"to\":\"{number}\"}\r\n"));
    SmsRequest r = BuildSmsRequest(g, {}, "1", "+86", G("价乗") + "\"}");
    EXPECT_EQ(r.body, "{\"text\":\"" + G("价乗") + "\\\"}\",\"to\":\"+861\"}");
}

TEST(BuildSmsRequest, AHeaderValueCannotBreakIntoASecondHeader) {
    SmsGateway g = ReadSmsGateway(SmsInf("Gateway=http://gw/\r\nHeader=X-Key: {token}\r\n"));
    SmsRequest r = BuildSmsRequest(g, {"", "a\r\nX-Evil: 1"}, "1", "", "t");
    ASSERT_EQ(r.headers.size(), 1u);
    EXPECT_EQ(r.headers[0], "X-Key: aX-Evil: 1");
    r = BuildSmsRequest(g,
                        {"",
                         "a\x1b"
                         "b\x7f"},
                        "1", "", "t");
    EXPECT_EQ(r.headers[0], "X-Key: a\\x1Bb\\x7F");
}

}  // namespace
}  // namespace nuvaro
