// One entry, one line: the visible, reversible form of control characters, and texts cut short.
#include "core/log_escape.h"

#include <gtest/gtest.h>

#include "core/text_cut.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;

struct EscapeCase {
    const char* name;
    std::string text;     // GBK
    std::string written;  // as a log line holds it
};
void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class LogEscape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(LogEscape, WritesVisiblyOnOneLineAndReadsBackTheSameText) {
    const std::string written = EscapeLogText(GetParam().text);
    EXPECT_EQ(written, GetParam().written);
    EXPECT_EQ(written.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(UnescapeLogText(written), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LogEscape,
    ::testing::Values(
        EscapeCase{"LineBreaksAndTab", "a\r\nb\tc\n", "a\\r\\nb\\tc\\n"},
        EscapeCase{"OtherControls", std::string("\x1b[31m\x07\0z\x7f", 9),
                   "\\x1B[31m\\x07\\x00z\\x7F"},
        EscapeCase{"PlainBackslashesStay", "C:\\dir\\file (\\d+)", "C:\\dir\\file (\\d+)"},
        EscapeCase{"BackslashBeforeAnEscapeLetterDoubled", "\\n\\r\\t\\x41\\\\",
                   "\\\\n\\\\r\\\\t\\\\x41\\\\\\"},
        EscapeCase{"BackslashBeforeAControl", "\\\r\n", "\\\\\\r\\n"},
        EscapeCase{"BackslashAtTheEnd", "end\\", "end\\"},
        // 乗 is 81 5C: its trail byte is no backslash, and the "n" after it no escape.
        EscapeCase{"GbkTrailBackslash", G("乗n乗\\") + "\n", G("乗n乗") + "\\\\\\n"},
        EscapeCase{"StrayLeadBytes", "\x81\n\xFF", "\\x81\\n\\xFF"},
        EscapeCase{"StrayByteThenBackslashN", "\xFF\\n", "\\xFF\\\\n"},
        EscapeCase{"EuroSignIsACharacter",
                   "\x80"
                   "5",
                   "\x80"
                   "5"},
        EscapeCase{
            "ForgedLogLine",
            G("价格\r\n2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]"),
            G("价格\\r\\n2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogEscape, ABackslashThatStartsNoEscapeReadsAsItself) {
    EXPECT_EQ(UnescapeLogText("a\\qb\\x4"), "a\\qb\\x4");
    EXPECT_EQ(UnescapeLogText("\\x4a\\X41"), "J\\X41");
}

TEST(LogEscape, ShowControlsLeavesBackslashesAlone) {
    EXPECT_EQ(ShowControls(G("乗\\n") + "\r\n\x1b"), G("乗\\n") + "\\r\\n\\x1B");
}

struct CutCase {
    const char* name;
    std::string text;
    size_t maxChars;
    std::string expected;
};
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class TextCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(TextCut, KeepsWholeCharactersAndTellsTheLength) {
    EXPECT_EQ(CutText(GbkText::FromBytes(GetParam().text), GetParam().maxChars).bytes(),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextCut,
                         ::testing::Values(CutCase{"ShortStays", G("价格128"), 5, G("价格128")},
                                           CutCase{"ExactlyTheLimitStays", G("价格"), 2, G("价格")},
                                           CutCase{"ChineseCutAtACharacter", G("价格一二三"), 3,
                                                   G("价格一…（共 5 字）")},
                                           CutCase{"MixedCountsCharactersNotBytes",
                                                   "ab" + G("中文") + "cd", 3,
                                                   "ab" + G("中…（共 6 字）")},
                                           CutCase{"StrayByteCountsAsOne",
                                                   "\xFF"
                                                   "abc",
                                                   2,
                                                   "\xFF"
                                                   "a" +
                                                       G("…（共 4 字）")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextCut, AnEightMegabyteTextBecomesAFewThousandCharacters) {
    std::string huge;
    for (int i = 0; i < 4 * 1024 * 1024; ++i) huge += G("价");
    std::string cut = CutText(GbkText::FromBytes(huge)).bytes();
    EXPECT_LT(cut.size(), 2 * kFoundTextLimit + 40);
    EXPECT_NE(cut.find(G("（共 4194304 字）")), std::string::npos);
}

TEST(TextCut, Utf8TextIsCutAtACharacterToo) {
    EXPECT_EQ(CutUtf8Text("价格一二三", 2), "价格…（共 5 字）");
    EXPECT_EQ(CutUtf8Text("价格", 2), "价格");
}

}  // namespace
}  // namespace nuvaro
