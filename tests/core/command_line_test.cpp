#include "core/command_line.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> args;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsLikeAWindowsCommandLine) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SplitCommandLineTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t  ", {}},
                      SplitCase{"BlanksAndTabsSeparate", "a  b\tc ", {"a", "b", "c"}},
                      SplitCase{"QuotesGroupBlanks", R"("a b" c)", {"a b", "c"}},
                      SplitCase{"QuotesInsideAWord", R"(ab"c d"e)", {"abc de"}},
                      SplitCase{"EmptyQuotedArgument", R"(a "" b)", {"a", "", "b"}},
                      SplitCase{"UnclosedQuoteRunsToTheEnd", R"("a b)", {"a b"}},
                      SplitCase{"BackslashesWithoutQuoteAreLiteral",
                                R"(C:\dir\ a\\b)",
                                {R"(C:\dir\)", R"(a\\b)"}},
                      SplitCase{"OddBackslashesMakeALiteralQuote", R"(a\"b)", {"a\"b"}},
                      SplitCase{"ThreeBackslashesQuote", R"(a\\\"b)", {R"(a\"b)"}},
                      SplitCase{"EvenBackslashesThenQuoteToggles", R"("a\\" b)", {R"(a\)", "b"}},
                      SplitCase{"FourBackslashesThenQuote", R"(a\\\\"b c")", {R"(a\\b c)"}},
                      SplitCase{"TwoQuotesInsideAGroupAreOneQuote", R"("a""b" c)", {"a\"b", "c"}},
                      SplitCase{"QuotedPathWithTrailingBackslash",
                                R"("C:\Program Files\\" x)",
                                {R"(C:\Program Files\)", "x"}},
                      SplitCase{"NothingIsSubstituted",
                                "$HOME * `id` ; | > x",
                                {"$HOME", "*", "`id`", ";", "|", ">", "x"}},
                      SplitCase{"Utf8Survives",
                                "\xE4\xB8\xAD\xE6\x96\x87 \"\xE4\xB8\xAD \xE6\x96\x87\"",
                                {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD \xE6\x96\x87"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// Whatever the arguments hold, joining them gives a line that splits back into them.
class JoinCommandLineTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(JoinCommandLineTest, SplitsBackIntoTheSameArguments) {
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, JoinCommandLineTest,
    ::testing::Values(std::vector<std::string>{"plain", "--flag=1"},
                      std::vector<std::string>{"", "a b", "\t"},
                      std::vector<std::string>{"say \"hi\"", "\"", "\"\""},
                      std::vector<std::string>{R"(C:\dir\)", R"(C:\my dir\)", R"(a\\"b)"},
                      std::vector<std::string>{"line\r\nbreak", "x|y", "\xE4\xB8\xAD \xE6\x96\x87"},
                      std::vector<std::string>{std::string(10000, 'z') + " \\\""}));

}  // namespace
}  // namespace nuvaro
