#include "notify/readable_answer.h"

#include <gtest/gtest.h>

#include "core/gbk.h"

namespace nuvaro {
namespace {

size_t Characters(const std::string& utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); i += Utf8CharLength(utf8, i)) ++n;
    return n;
}

struct AnswerCase {
    const char* name;
    std::string answer;
    std::string shown;
};

class ReadableAnswerCase : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ReadableAnswerCase, ShowsTheStatusAndTheFirstLineOfText) {
    EXPECT_EQ(ReadableAnswer(GetParam().answer), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadableAnswerCase,
    ::testing::Values(
        AnswerCase{"Html404",
                   "HTTP 404 <!DOCTYPE HTML>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                   "<title>404 Not Found</title><style>body{color:red}</style></head>"
                   "<body><h1>Not Found</h1><p>The requested URL was not found.</p></body></html>",
                   "HTTP 404 404 Not Found"},
        AnswerCase{"HtmlWithoutTitle",
                   "HTTP 502 <html><body><!-- proxy --><script>var a = '<p>x</p>';</script>"
                   "<center><h1>502 Bad&nbsp;Gateway</h1></center><hr><center>gw</center>",
                   "HTTP 502 502 Bad Gateway"},
        AnswerCase{"EntitiesAndInlineTags",
                   "HTTP 400 <p>Wrong <b>token</b> &lt;abc&gt; &amp; &#x4E2D;&#25991;</p>",
                   "HTTP 400 Wrong token <abc> & 中文"},
        AnswerCase{"JsonStaysAsItIs", "HTTP 200 {\"errcode\":93000,\"errmsg\":\"invalid url\"}",
                   "HTTP 200 {\"errcode\":93000,\"errmsg\":\"invalid url\"}"},
        AnswerCase{"ReasonBeforeTheStatus", "回复中没有成功标记; HTTP 200 <html><p>失败</p></html>",
                   "回复中没有成功标记; HTTP 200 失败"},
        AnswerCase{"StatusAlone", "HTTP 503", "HTTP 503"},
        AnswerCase{"SmtpMultiLine",
                   "535-5.7.8 Username and Password not accepted.\r\n535 5.7.8 Learn more",
                   "535-5.7.8 Username and Password not accepted."},
        AnswerCase{"SmtpAddressIsNoMarkup", "550 5.1.1 <me@example.com>: Recipient rejected",
                   "550 5.1.1 <me@example.com>: Recipient rejected"},
        AnswerCase{"BlankLinesFirst", "\r\n \t\r\n  第一行\t有   空白 \n第二行", "第一行 有 空白"},
        AnswerCase{"ControlCharacters",
                   std::string("a\x01"
                               "b\x7F"
                               "c\x1B[31md\xC2\x85"
                               "e",
                               14),
                   "a b c [31md e"},
        AnswerCase{"BrokenUtf8", "ok \xFF\xFE end \xE4\xB8", "ok ?? end ??"},
        AnswerCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadableAnswer, LongTextIsCutToItsCharactersNeverInsideOne) {
    std::string chinese;
    for (int i = 0; i < 300; ++i) chinese += "错";
    const std::string shown = ReadableAnswer("HTTP 500 " + chinese);
    EXPECT_EQ(Characters(shown), kReadableAnswerChars);
    EXPECT_TRUE(IsWellFormedUtf8(shown));
    EXPECT_EQ(shown.rfind("HTTP 500 错错", 0), 0u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "…");

    const std::string exact(kReadableAnswerChars, 'x');
    EXPECT_EQ(ReadableAnswer(exact), exact);
    EXPECT_EQ(ReadableAnswer(exact + "y"), std::string(kReadableAnswerChars - 1, 'x') + "…");
    EXPECT_EQ(ReadableAnswer("abcdef", 4), "abc…");
}

TEST(ReadableAnswer, AHugeOneLinePageStaysBoundedAndSingleLine) {
    std::string page = "HTTP 404 <html><body><div>";
    for (int i = 0; i < 20000; ++i) page += "<span>word</span> ";
    page += "</div>\n<p>second</p></body></html>";
    const std::string shown = ReadableAnswer(page);
    EXPECT_LE(Characters(shown), kReadableAnswerChars);
    EXPECT_EQ(shown.find('\n'), std::string::npos);
    EXPECT_EQ(shown.rfind("HTTP 404 word word", 0), 0u);
}

TEST(ReadableAnswer, GbkAnswersAreReadAsGbkAndCutAtACharacterBoundary) {
    GbkText reason = ToGbk("HTTP 403 <html><title>禁止访问</title></html>");
    EXPECT_EQ(ToUtf8(ReadableAnswer(reason)), "HTTP 403 禁止访问");

    std::string text;
    for (int i = 0; i < 200; ++i) text += "乗";  // a GBK trail byte 0x5C
    const GbkText cut = ReadableAnswer(ToGbk(text), 10);
    EXPECT_EQ(ToUtf8(cut), "乗乗乗乗乗乗乗乗乗…");
    // A byte that starts no GBK character is no reason to lose the rest.
    EXPECT_EQ(ToUtf8(ReadableAnswer(GbkText::FromBytes("bad \x81 byte"))).substr(0, 4), "bad ");
}

TEST(MarkupText, BreaksLinesAtBlocksAndDropsWhatIsNoText) {
    EXPECT_EQ(MarkupText("<div>a<br/>b</div><SCRIPT>x()</SCRIPT><style>p{}</style>c"),
              "\na\nb\n  c");
    EXPECT_EQ(MarkupText("1 &lt; 2 &unknown; & 3"), "1 < 2 &unknown; & 3");
    EXPECT_EQ(MarkupText("&#0; &#xD800; &#99999999;"), "? ? &#99999999;");
    EXPECT_EQ(MarkupText("<p>open <!-- never closed"), "\nopen  ");
}

}  // namespace
}  // namespace nuvaro
