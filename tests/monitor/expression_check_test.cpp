// What the condition dialog tells of an expression the matcher cannot use.
#include "monitor/expression_check.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "monitor/regex.h"

namespace nuvaro {
namespace {

GbkText G(const std::string& utf8) { return ToGbk(utf8); }

struct RefusedCase {
    const char* name;
    std::string expression;  // UTF-8
    std::string reason, place;
    size_t charIndex;
};

class RefusedExpressionTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedExpressionTest, SaysWhatAndWhereInChinese) {
    const RefusedCase& c = GetParam();
    ExpressionProblem problem = CheckExpression(G(c.expression));
    EXPECT_EQ(problem.message.rfind("正则表达式有错误，没有保存：" + c.reason + "（", 0), 0u)
        << problem.message;
    EXPECT_NE(problem.message.find("）\n" + c.place + "\n"), std::string::npos) << problem.message;
    EXPECT_EQ(problem.charIndex, c.charIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, RefusedExpressionTest,
    ::testing::Values(
        RefusedCase{"MissingParenthesis", "价格(\\d+", "缺少右括号“)”", "出错位置：第 6 个字符", 5},
        RefusedCase{"UnmatchedParenthesis", "ab)c", "多了一个右括号“)”", "出错位置：第 3 个字符",
                    2},
        RefusedCase{"MissingBracket", "[a-", "缺少右方括号“]”", "出错位置：第 3 个字符", 2},
        RefusedCase{"NothingToRepeat", "*价格", "“*”“+”“?”或“{}”前面没有可以重复的内容",
                    "出错位置：第 1 个字符", 0},
        RefusedCase{"QuantifierOrder", "a{3,1}", "“{}”中的两个数字顺序颠倒",
                    "出错位置：第 6 个字符", 5},
        // 東 ends in the byte of "|", which the matcher escapes: the place is still the ")".
        RefusedCase{"AfterEscapedGbkBytes", "東東)x", "多了一个右括号“)”", "出错位置：第 3 个字符",
                    2},
        RefusedCase{"SecondLine", "价格\r\n(x", "缺少右括号“)”", "出错位置：第 2 行第 2 个字符",
                    4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckExpression, AcceptsWhatTheMatcherCanUse) {
    for (const char* accepted : {"", "价格", "東京", "价格(\\d+)元", "(?g)a.*b", "\\Q(\\E"}) {
        EXPECT_EQ(CheckExpression(G(accepted)).message, "") << accepted;
    }
}

TEST(CompileError, PointsIntoTheExpressionAsWritten) {
    auto plain = CompileError("abc)");
    auto withSetting = CompileError("(*CR)abc)");  // the engine's own setting in front
    ASSERT_TRUE(plain && withSetting);
    EXPECT_EQ(withSetting->offset, plain->offset + 5);
    EXPECT_FALSE(CompileError("a(b)c"));
}

}  // namespace
}  // namespace nuvaro
