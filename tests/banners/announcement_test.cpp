#include "banners/announcement.h"

#include <gtest/gtest.h>

#include <vector>

namespace nuvaro {
namespace {

std::vector<std::string> Values(const Announcement& a) {
    std::vector<std::string> v;
    for (size_t i = 0; i < Announcement::kCount; ++i) v.push_back(a[i]);
    return v;
}

struct SplitCase {
    const char* name;
    std::string reply;
    std::vector<std::string> values;
};

class SplitReplyTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitReplyTest, GivesTheNineValuesByteForByte) {
    EXPECT_EQ(Values(SplitReply(GetParam().reply)), GetParam().values);
}

// "广告" in UTF-8 is E5 B9 BF E5 91 8A; the split never looks inside a value.
const std::string kUtf8Ad = "\xE5\xB9\xBF\xE5\x91\x8A";

INSTANTIATE_TEST_SUITE_P(
    Replies, SplitReplyTest,
    ::testing::Values(
        SplitCase{"NineValues",
                  kUtf8Ad + " 1||ad2||ad3||http://reg||2.1||http://u1||u2||u3||http://out",
                  {kUtf8Ad + " 1", "ad2", "ad3", "http://reg", "2.1", "http://u1", "u2", "u3",
                   "http://out"}},
        // Each missing separator costs the rest of the reply its first byte.
        SplitCase{"NoSeparator", "ABCDEFGHIJK", {"", "", "", "", "", "", "", "", "IJK"}},
        SplitCase{"NoSeparatorShorterThanEightBytes", "abc", {"", "", "", "", "", "", "", "", ""}},
        SplitCase{"MoreThanNineFields",
                  "1||2||3||4||5||6||7||8||9||10||||11",
                  {"1", "2", "3", "4", "5", "6", "7", "8", "9||10||||11"}},
        SplitCase{"FewerThanEightSeparators",
                  "a||b||restOfReply",
                  {"a", "b", "", "", "", "", "", "", "Reply"}},
        SplitCase{"EmptyValuesBetweenSeparators",
                  "||x" + std::string(14, '|') + "tail\r\n",
                  {"", "x", "", "", "", "", "", "", "tail\r\n"}},
        // "|||" holds one separator at its start; the third bar begins the next value.
        SplitCase{"ThreeBars",
                  "a|||b||c||d||e||f||g||h||i",
                  {"a", "|b", "c", "d", "e", "f", "g", "h", "i"}},
        SplitCase{"EmptyReply", "", {"", "", "", "", "", "", "", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Announcement, IndexesTheValuesInReplyOrder) {
    Announcement a = SplitReply("0||1||2||3||4||5||6||7||8");
    EXPECT_EQ(a.AD1, "0");
    EXPECT_EQ(a.Ver, "4");
    EXPECT_EQ(a.ADurl1, "5");
    EXPECT_EQ(a.ADurl3, "7");
    EXPECT_EQ(a.OutUrl, "8");
    EXPECT_STREQ(Announcement::kKeys[5], "ADurl1");
}

}  // namespace
}  // namespace nuvaro
