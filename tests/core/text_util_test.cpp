// Line breaks as the message boxes show them, whichever system wrote the text.
#include "core/text_util.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace nuvaro {
namespace {

class BoxLineBreaks : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(BoxLineBreaks, BecomeOneLfEach) {
    EXPECT_EQ(LfLineBreaks(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BoxLineBreaks,
    ::testing::Values(std::pair<std::string, std::string>{"第一\r\n第二", "第一\n第二"},
                      std::pair<std::string, std::string>{"第一\r第二", "第一\n第二"},
                      std::pair<std::string, std::string>{"a\n\nb", "a\n\nb"},
                      std::pair<std::string, std::string>{"a\r\r\nb\r", "a\n\nb\n"},
                      std::pair<std::string, std::string>{"\r\n", "\n"},
                      std::pair<std::string, std::string>{"", ""}));

}  // namespace
}  // namespace nuvaro
