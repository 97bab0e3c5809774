#include "core/find_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nuvaro {
namespace {

using Search = bool (*)(std::string_view, std::string_view);

class FindBytesTest : public ::testing::TestWithParam<Search> {};

TEST_P(FindBytesTest, AgreesWithFindOnRandomTextOverSmallAlphabets) {
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        const int letters = 2 + round % 3;
        auto make = [&](size_t size) {
            std::string s(size, 'a');
            for (char& c : s) c = static_cast<char>('a' + random() % letters);
            return s;
        };
        const std::string page = make(random() % 300);
        std::string needle = make(1 + random() % 6);
        if (round % 5 == 0 && page.size() > 8) needle = page.substr(page.size() - 6);
        ASSERT_EQ(GetParam()(page, needle), page.find(needle) != std::string::npos)
            << "page " << page << " needle " << needle;
    }
}

TEST_P(FindBytesTest, EdgesAndBytesAboveAscii) {
    EXPECT_TRUE(GetParam()("", ""));
    EXPECT_TRUE(GetParam()("abc", ""));
    EXPECT_FALSE(GetParam()("", "a"));
    EXPECT_FALSE(GetParam()("ab", "abc"));
    EXPECT_TRUE(GetParam()("abc", "abc"));
    EXPECT_TRUE(GetParam()(std::string_view("a\0b", 3), std::string_view("\0b", 2)));
    EXPECT_TRUE(GetParam()("\xC8\xB1\xBB\xF5\xCD\xA8", "\xBB\xF5"));
    EXPECT_FALSE(GetParam()("\xC8\xB1\xBB\xF5", "\xB1\xBC"));
}

// A page of one repeated byte makes every position a candidate; the search must still find
// the needle at the very end and say no when it is absent.
TEST_P(FindBytesTest, RepeatedByteWorstCase) {
    std::string page(1 << 20, 'a');
    const std::string needle = std::string(200, 'a') + "b";
    EXPECT_FALSE(GetParam()(page, needle));
    page.replace(page.size() - needle.size(), needle.size(), needle);
    EXPECT_TRUE(GetParam()(page, needle));
}

INSTANTIATE_TEST_SUITE_P(BothSearches, FindBytesTest,
                         ::testing::Values(&ContainsBytes, &ContainsBytesPortable));

}  // namespace
}  // namespace nuvaro
