#include "monitor/number_reader.h"

#include <gtest/gtest.h>

namespace nuvaro::testing {
namespace {

struct ReadCase {
    const char* name;
    const char* text;
    double value;
    const char* written;
};

class NumberReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(NumberReaderTest, ReadsTheFirstNumberAsThePageWroteIt) {
    const ReadCase& c = GetParam();
    auto number = ReadNumber(c.text);
    ASSERT_TRUE(number) << c.text;
    EXPECT_DOUBLE_EQ(number->value, c.value);
    EXPECT_EQ(number->written, c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, NumberReaderTest,
    ::testing::Values(ReadCase{"Plain", "199", 199, "199"},
                      ReadCase{"YuanSignFullWidth", "￥1,299.00", 1299, "1,299.00"},
                      ReadCase{"YenSign", "¥88.5", 88.5, "88.5"},
                      ReadCase{"YuanWord", "价格：35元", 35, "35"},
                      ReadCase{"FullWidthDigits", "１２９９", 1299, "１２９９"},
                      ReadCase{"FullWidthSeparators", "１，２９９．５", 1299.5, "１，２９９．５"},
                      ReadCase{"Minus", "涨跌 -3.5%", -3.5, "-3.5"},
                      ReadCase{"MinusBeforeCurrency", "-￥20", -20, "-20"},
                      ReadCase{"Wan", "销量1.2万", 12000, "1.2万"},
                      ReadCase{"Yi", "市值3亿元", 3e8, "3亿"},
                      ReadCase{"TrailingWords", "199起", 199, "199"},
                      ReadCase{"SeveralNumbersFirstWins", "原价 299 现价 199", 299, "299"},
                      ReadCase{"CommaNotThousands", "1,2,3", 1, "1"},
                      ReadCase{"PointWithoutDigits", "到手价 99.", 99, "99"},
                      ReadCase{"HugeButFinite", "12345678901234567890", 1.2345678901234567e19,
                               "12345678901234567890"},
                      ReadCase{"NumberInsideWordSkipped", "iPhone15 只要 4999", 4999, "4999"},
                      ReadCase{"UnitGluedSkipped", "5G套餐 39 元", 39, "39"}),
    [](const auto& info) { return info.param.name; });

TEST(NumberReaderTest, TextWithoutANumberReadsNothing) {
    for (const char* text : {"", "缺货", "价格：待定", "mp3 H5 x86"}) {
        EXPECT_FALSE(ReadNumber(text)) << text;
    }
}

TEST(NumberReaderTest, ANumberTooLargeToHoldIsNoNumber) {
    EXPECT_FALSE(ReadNumber(std::string(400, '9')));
    auto next = ReadNumber(std::string(400, '9') + " 然后 7");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->value, 7);
}

}  // namespace
}  // namespace nuvaro::testing
