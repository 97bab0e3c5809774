#include "core/date_time.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

std::tm At(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

TEST(DateTimeText, ShortDateBlankLongTimeWithoutLeadingZeros) {
    EXPECT_EQ(DateTimeText(At(2026, 12, 7, 9, 5, 3)), "2026-12-7 9:05:03");
    EXPECT_EQ(DateTimeText(At(2026, 1, 1, 23, 59, 59)), "2026-1-1 23:59:59");
    EXPECT_EQ(DateTimeText(At(2026, 1, 1, 0, 0, 1)), "2026-1-1 0:00:01");
}

TEST(DateTimeText, ExactlyMidnightLeavesTheTimeOut) {
    EXPECT_EQ(DateTimeText(At(2026, 12, 7, 0, 0, 0)), "2026-12-7");
}

}  // namespace
}  // namespace nuvaro
