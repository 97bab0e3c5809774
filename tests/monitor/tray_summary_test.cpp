// The notification-area icon's mark and the windows its tooltip names.
#include "monitor/tray_summary.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

TEST(TrayMark, AFailureOutranksAnUnseenChange) {
    TraySummary s;
    s.monitoring = 3;
    EXPECT_EQ(MarkOf(s), TrayMark::AllWell);
    s.unseen = {"甲"};
    EXPECT_EQ(MarkOf(s), TrayMark::ChangeUnseen);
    s.failing = {"乙"};
    EXPECT_EQ(MarkOf(s), TrayMark::Failing);
    s.failing.clear();
    s.failedNotices = 1;  // a notice that never went out is a failure too
    EXPECT_EQ(MarkOf(s), TrayMark::Failing);
}

struct NamesCase {
    const char* name;
    std::vector<std::string> names;
    std::string list;
};

class NameListTest : public ::testing::TestWithParam<NamesCase> {};

TEST_P(NameListTest, NamesAFewThenCountsAll) {
    EXPECT_EQ(NameList(GetParam().names), GetParam().list);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, NameListTest,
    ::testing::Values(NamesCase{"None", {}, ""}, NamesCase{"One", {"价格页"}, "价格页"},
                      NamesCase{"Three", {"甲", "乙", "丙"}, "甲、乙、丙"},
                      NamesCase{"Five", {"甲", "乙", "丙", "丁", "戊"}, "甲、乙、丙 等 5 个"},
                      NamesCase{"LongNameIsCut",
                                {"一二三四五六七八九十一二三四五六七八"},
                                "一二三四五六七八九十一二三四五六…"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrayWindowLines, CountWhenNothingFailsAndNameWhatFailedOrChanged) {
    TraySummary s;
    s.monitoring = 2;
    EXPECT_EQ(TrayWindowLines(s), "正在监控：2 个窗口\n上次检查失败：0 个窗口");
    s.failing = {"价格页", "库存"};
    s.unseen = {"新闻"};
    EXPECT_EQ(TrayWindowLines(s),
              "正在监控：2 个窗口\n上次检查失败：价格页、库存\n有未查看的变化：新闻");
}

}  // namespace
}  // namespace nuvaro
