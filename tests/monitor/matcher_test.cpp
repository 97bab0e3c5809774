#include "monitor/matcher.h"

#include <gtest/gtest.h>

#include "config/config_table.h"
#include "core/text_cut.h"
#include "monitor/regex.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;
using testing::TempExeDir;

class MatchKeywordTest : public ::testing::Test {
  protected:
    // The match log without the date-time in front of each line.
    std::string LogWithoutDates() const {
        std::string log = dir.Read("Log/log.txt"), out;
        size_t pos = 0;
        while (pos < log.size()) {
            size_t end = log.find("\r\n", pos);
            std::string line = log.substr(pos, end - pos);
            out += line.substr(line.find('=')) + "\n";
            pos = end + 2;
        }
        return out;
    }
    std::string Match(std::string_view page, std::string_view expr, int group = 0) {
        return MatchKeyword(GT(page), GT(expr), group, "1", "新窗口").bytes();
    }

    TempExeDir dir;
};

TEST_F(MatchKeywordTest, GroupOfTheFirstMatchIsFoundAndLogged) {
    EXPECT_EQ(Match("<b>价格128</b>价格256", "价格(\\d+)", 1), "128");
    EXPECT_EQ(LogWithoutDates(), G("=1=新窗口=128==价格(\\d+)\n"));
}

TEST_F(MatchKeywordTest, PlainKeywordIsFoundByTheExpressionStep) {
    EXPECT_EQ(Match("<p>缺货</p>", "缺货"), G("缺货"));
    EXPECT_EQ(LogWithoutDates(), G("=1=新窗口=缺货==缺货\n"));
}

TEST_F(MatchKeywordTest, KeywordThatDoesNotMatchItselfFallsBackToPlainText) {
    EXPECT_EQ(Match("x a+b y", "a+b"), "a+b");
    EXPECT_EQ(Match("价格$ 之后还有", "价格$"), G("价格$"));
    EXPECT_EQ(LogWithoutDates(), G("=1=新窗口=KeywordOk==a+b\n=1=新窗口=KeywordOk==价格$\n"));
}

TEST_F(MatchKeywordTest, EmptyGroupTextSearchesTheExpressionAsText) {
    EXPECT_EQ(Match("abc", "x*"), "");
    EXPECT_EQ(Match("abc x* d", "x*"), "x*");
    EXPECT_EQ(LogWithoutDates(), G("=1=新窗口=KeywordOk==x*\n"));
}

TEST_F(MatchKeywordTest, EmptyExpressionFindsNothingAndLogsNothing) {
    EXPECT_EQ(Match("anything", ""), "");
    EXPECT_FALSE(dir.Exists("Log/log.txt"));
}

TEST_F(MatchKeywordTest, ExpressionsTheEngineRefusesRaiseItsMessageAndLogNothing) {
    for (const char* expr : {"+86", "(元", "a{2,1}"}) {
        try {
            Match(std::string("+86 (元 a{2,1}"), expr);
            ADD_FAILURE() << expr << " was accepted";
        } catch (const RegexError& e) {
            EXPECT_GT(std::string(e.what()).size(), 5u) << expr;
        }
    }
    EXPECT_FALSE(dir.Exists("Log/log.txt"));
}

TEST_F(MatchKeywordTest, RunawayBacktrackingEndsWithTheEngineError) {
    std::string page(5000, 'a');
    page += "b";
    try {
        MatchKeyword(GbkText::FromBytes(page), GbkText::FromBytes("(a+)+$"), 0, "1", "w");
        FAIL() << "search did not stop";
    } catch (const RegexError& e) {
        EXPECT_NE(std::string(e.what()).find("limit"), std::string::npos) << e.what();
    }
}

// The engine's own match limit counts afresh at every start position; on a long page a pattern
// that backtracks hard at each of them must still end, through the JIT and the interpreter alike.
class RunawayTest : public MatchKeywordTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RunawayTest, BacktrackingAtEveryStartPositionEndsWithTheEngineError) {
    std::string page;
    for (int i = 0; i < 5000; ++i) page += "aaaaaaaaaaaaaaaaaaaac";
    try {
        MatchKeyword(GbkText::FromBytes(page), GbkText::FromBytes(GetParam()), 0, "1", "w");
        FAIL() << "search did not stop";
    } catch (const RegexError& e) {
        EXPECT_NE(std::string(e.what()).find("limit"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(dir.Exists("Log/log.txt"));
}

INSTANTIATE_TEST_SUITE_P(Engines, RunawayTest,
                         ::testing::Values("(a+)+$", "(*NO_JIT)(a+)+$",
                                           "(*LIMIT_DEPTH=100000)(*NO_JIT)(a+)+$"));

TEST_F(MatchKeywordTest, LeadingEngineSettingsKeepTheirPlaceAndGroupNumbers) {
    EXPECT_EQ(Match("x12y", "(*NO_JIT)x(\\d)(\\d)y", 2), "2");
    EXPECT_EQ(Match("x12y", "(?i)X(\\d)", 1), "1");
}

struct GroupCase {
    int group;
    const char* expected;
};
void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.group; }

class GroupIndexTest : public MatchKeywordTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(GroupIndexTest, OnlyGroupsZeroToFourteenThatTookPartYieldText) {
    // 16 groups: (a)(b)...(p); the literal fallback needs the expression text in the page.
    std::string expr;
    for (char c = 'a'; c <= 'p'; ++c) expr += std::string("(") + c + ")";
    std::string page = "abcdefghijklmnop (x)?";
    EXPECT_EQ(
        MatchKeyword(GbkText::FromBytes(page), GbkText::FromBytes(expr), GetParam().group, "1", "w")
            .bytes(),
        GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Groups, GroupIndexTest,
                         ::testing::Values(GroupCase{0, "abcdefghijklmnop"}, GroupCase{1, "a"},
                                           GroupCase{14, "n"}, GroupCase{15, ""}, GroupCase{16, ""},
                                           GroupCase{-1, ""}));

TEST_F(MatchKeywordTest, GroupThatTookNoPartOrDoesNotExistFallsBack) {
    EXPECT_EQ(Match("ab", "a(x)?b", 1), "");
    EXPECT_EQ(Match("价格(\\d+) 价格12", "价格(\\d+)", 3), G("价格(\\d+)"));
}

struct DialectCase {
    const char* name;
    const char* page;
    const char* expression;
    const char* found;
};
void PrintTo(const DialectCase& c, std::ostream* os) { *os << c.name; }

class DialectTest : public MatchKeywordTest, public ::testing::WithParamInterface<DialectCase> {};

TEST_P(DialectTest, MatchesLikeTheDialectTable) {
    EXPECT_EQ(Match(GetParam().page, GetParam().expression), G(GetParam().found))
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Dialect, DialectTest,
    ::testing::Values(DialectCase{"case matters", "ABC", "abc", ""},
                      DialectCase{"case matters in the fallback too", "A+B", "a+b", ""},
                      DialectCase{"inline modifier", "ABC", "(?i)abc", "ABC"},
                      DialectCase{"dot spans lines", "<a>\r\nx</a>", "<a>.*</a>", "<a>\r\nx</a>"},
                      DialectCase{"dollar only at the very end", "xabc\n", "abc$", ""},
                      DialectCase{"caret only at the start", "a\nb", "^b", ""},
                      DialectCase{"multi-line modifier", "a\nb", "(?m)^b", "b"},
                      DialectCase{"greedy", "<b>1</b><b>2</b>", "<b>.*</b>", "<b>1</b><b>2</b>"},
                      DialectCase{"lazy form", "<b>1</b><b>2</b>", "<b>.*?</b>", "<b>1</b>"},
                      DialectCase{"greediness switched off", "<b>1</b><b>2</b>", "(?-g)<b>.*</b>",
                                  "<b>1</b>"},
                      DialectCase{"greediness switched back", "aaa", "(?-g)(?g)a+", "aaa"},
                      DialectCase{"leftmost", "x2 y1", "[a-z]\\d", "x2"},
                      DialectCase{"zero stays a found text", "count: 0", "\\d", "0"}));

TEST_F(MatchKeywordTest, DotIsOneByteOfGbk) {
    // "价" is two bytes; ".." after it takes exactly the two bytes of "格".
    EXPECT_EQ(Match("价格", "价.."), G("价格"));
    EXPECT_EQ(Match("价格", "价.").size(), 3u);
}

TEST_F(MatchKeywordTest, MultiLineFindIsFoundWholeAndLoggedOnOneLine) {
    EXPECT_EQ(Match("<i>a\r\nb</i>", "<i>(.*)</i>", 1), "a\r\nb");
    EXPECT_EQ(dir.Read("Log/log.txt").substr(dir.Read("Log/log.txt").find('=')),
              G("=1=新窗口=a\\r\\nb==<i>(.*)</i>\r\n"));
}

// A page with megabytes between two marks: the verdict gets all of it, the log a bounded line.
TEST_F(MatchKeywordTest, AHugeFindIsFoundWholeAndLoggedCut) {
    const std::string span(50u << 20, 'x');
    EXPECT_EQ(Match("<p>" + span + "</p>", "<p>(.*)</p>", 1).size(), span.size());
    const std::string log = dir.Read("Log/log.txt");
    EXPECT_LT(log.size(), 2 * kFoundTextLimit + 200);
    EXPECT_NE(log.find(G("…（共 52428800 字）==<p>(.*)</p>\r\n")), std::string::npos);
}

struct GbkCase {
    const char* name;
    const char* page;
    const char* expression;
    const char* found;  // also the group text of the match-log line; "" logs nothing
};
void PrintTo(const GbkCase& c, std::ostream* os) { *os << c.name; }

class GbkKeywordTest : public MatchKeywordTest, public ::testing::WithParamInterface<GbkCase> {};

TEST_P(GbkKeywordTest, ASecondByteThatLooksLikePunctuationStaysPartOfItsCharacter) {
    const GbkCase& c = GetParam();
    EXPECT_EQ(Match(c.page, c.expression), G(c.found));
    if (*c.found == '\0') {
        EXPECT_FALSE(dir.Exists("Log/log.txt"));
    } else {
        EXPECT_EQ(LogWithoutDates(),
                  G(std::string("=1=新窗口=") + c.found + "==" + c.expression + "\n"));
    }
}

// 東 is 0x96 0x7C ("|"), 乗 is 0x81 0x5C ("\"), 北 is 0xB1 0xB1.
INSTANTIATE_TEST_SUITE_P(
    Gbk, GbkKeywordTest,
    ::testing::Values(GbkCase{"TokyoIsNoAlternativeThatFindsBeijing", "<p>北京</p>", "東京", ""},
                      GbkCase{"TokyoIsFoundByTheExpressionStep", "<p>東京</p>", "東京", "東京"},
                      GbkCase{"KeywordEndingInABackslashByteCompiles", "<p>新乗</p>", "新乗",
                              "新乗"},
                      GbkCase{"QuoteIsNotEndedInsideACharacter", "<p>乗E</p>", "\\Q乗E\\E", "乗E"},
                      GbkCase{"AsciiAlternationKeepsItsMeaning", "x b y", "a|b", "b"},
                      GbkCase{"BarAfterACharacterStillAlternates", "<p>京</p>", "北|京", "京"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TranslateCase {
    const char* name;
    std::string expression;
    std::string engine;
};
void PrintTo(const TranslateCase& c, std::ostream* os) { *os << c.name; }

class TranslateExpressionTest : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(TranslateExpressionTest, GivesTheEnginesSpelling) {
    EXPECT_EQ(TranslateExpression(GetParam().expression), GetParam().engine);
}

INSTANTIATE_TEST_SUITE_P(
    Translate, TranslateExpressionTest,
    ::testing::Values(TranslateCase{"GreedyOn", "(?g)a", "(?-U)a"},
                      TranslateCase{"GreedyOffInAGroup", "(?i-g:a)", "(?iU:a)"},
                      TranslateCase{"OtherModifiersAlone", "(?is)a", "(?is)a"},
                      TranslateCase{"NoOptionGroupWhenEscapedInAClassOrQuoted",
                                    "\\(?g)[(?g)]\\Q(?g)\\E", "\\(?g)[(?g)]\\Q(?g)\\E"},
                      TranslateCase{"GroupNamedG", "(?<g>x)", "(?<g>x)"},
                      TranslateCase{"BarSecondByte", "\x96|\xBE\xA9", "\x96\\|\xBE\xA9"},
                      TranslateCase{"BackslashSecondByte", "a\x81\\", "a\x81\\\\"},
                      TranslateCase{"EscapedCharacter", "\\\x96|", "\\\x96\\|"},
                      TranslateCase{"BracketSecondByteInAClass", "[\x81]]+", "[\x81\\]]+"},
                      TranslateCase{"LetterSecondByteUnchanged",
                                    "\x81"
                                    "A|\x81\x80",
                                    "\x81"
                                    "A|\x81\x80"},
                      TranslateCase{"PairedFromTheLeft", "\xB1\xB1|a", "\xB1\xB1|a"},
                      TranslateCase{"LeadByteWithoutSecondByte", "\x96(a)", "\x96(a)"},
                      TranslateCase{"QuotedBarUnchanged", "\\Q\x96|\\E", "\\Q\x96|\\E"},
                      TranslateCase{"QuotedBackslashSecondByteLeavesTheQuote", "\\Q\x81\\E\\E",
                                    "\\Q\x81\\E\\\\\\QE\\E"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetCondition, ReadsRegxAndRegGrpOfTheSlot) {
    TempExeDir dir;
    TConfigTable configs;
    configs[12].Regx = "x(y)";
    for (auto [text, group] : std::initializer_list<std::pair<const char*, int>>{
             {"", 0}, {"abc", 0}, {"2", 2}, {"-1", -1}, {"99999999999", 0}, {"1x", 0}}) {
        configs[12].RegGrp = text;
        Condition c = GetCondition(configs, "12");
        EXPECT_EQ(c.expression.bytes(), "x(y)");
        EXPECT_EQ(c.group, group) << text;
    }
}

}  // namespace
}  // namespace nuvaro
