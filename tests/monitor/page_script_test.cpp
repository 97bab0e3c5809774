#include "monitor/page_script.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;

struct ReadCase {
    const char* answer;  // UTF-8, as the engine gives it
    bool ok, hasBody;
    const char* title;
    const char* body;
};

class PageReadAnswers : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PageReadAnswers, SplitIntoTitleAndBodyInGbk) {
    PageContent page = ParsePageRead(GetParam().answer);
    EXPECT_EQ(page.ok, GetParam().ok);
    EXPECT_EQ(page.hasBody, GetParam().hasBody);
    EXPECT_EQ(page.title, GT(GetParam().title));
    EXPECT_EQ(page.body, GT(GetParam().body));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PageReadAnswers,
    ::testing::Values(ReadCase{"B价格\x01<b>12元</b>", true, true, "价格", "<b>12元</b>"},
                      ReadCase{"B\x01", true, true, "", ""},
                      // A separator in the body belongs to the body: the title has none.
                      ReadCase{"Bt\x01"
                               "a\x01"
                               "b",
                               true, true, "t",
                               "a\x01"
                               "b"},
                      ReadCase{"N无正文", true, false, "无正文", ""},
                      ReadCase{"", false, false, "", ""},
                      ReadCase{"undefined", false, false, "", ""}));

TEST(PageAddresses, AnAddressWithoutSchemeIsToldApart) {
    EXPECT_TRUE(HasScheme("http://a"));
    EXPECT_TRUE(HasScheme("about:blank"));
    EXPECT_TRUE(HasScheme("file:///C:/x.html"));
    EXPECT_FALSE(HasScheme("www.example.com/a"));
    EXPECT_FALSE(HasScheme("127.0.0.1:8080/x"));
}

// The Windows engine runs pages in IE11 mode: every script the browsers run stays ES5.
TEST(PageScripts, StayInEs5) {
    for (std::string script :
         {kReadPageScript, kSettleWatchScript, kSettleSinceChangeScript, kSettleScript}) {
        for (const char* later : {"=>", "let ", "const ", "`", "?.", "??", "class ", "..."}) {
            EXPECT_EQ(script.find(later), std::string::npos) << later << " in " << script;
        }
    }
}

}  // namespace
}  // namespace nuvaro
