#include "monitor/failure_page.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvaro {
namespace {

// What a stranger wrote (an address, a server's message) shows as text: it opens no element,
// ends no attribute and runs no script, and a huge one is cut.
TEST(FailurePage, ReasonAddressAndTimeShowAsEscapedText) {
    const std::string page =
        LoadFailurePage("连接被重置（<script>alert(1)</script>）",
                        "http://x/?a=1&b=\"'><img src=x onerror=y>", "2026-12-10 17:40:00");
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<title>无法打开网页</title>"), std::string::npos);
    EXPECT_NE(page.find("连接被重置（&lt;script&gt;alert(1)&lt;/script&gt;）"), std::string::npos)
        << page;
    EXPECT_NE(page.find("http://x/?a=1&amp;b=&quot;&#39;&gt;&lt;img src=x onerror=y&gt;"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("2026-12-10 17:40:00"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);

    const std::string huge = LoadFailurePage(std::string(100000, 'r'), "http://a/", "t");
    EXPECT_LT(huge.size(), 5000u);
    EXPECT_NE(huge.find("…（共 100000 字）"), std::string::npos);
}

}  // namespace
}  // namespace nuvaro
