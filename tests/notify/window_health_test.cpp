#include "notify/window_health.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "config/config_table.h"
#include "config/tconfig.h"
#include "core/ini_file.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using namespace std::chrono;
using ::testing::HasSubstr;

const system_clock::time_point kStart = system_clock::from_time_t(1765357200);

class WindowHealthTest : public ::testing::Test {
  protected:
    WindowHealthTest() {
        m_configs[3].WindowName = "显卡";
        m_configs[3].url = "http://shop.example/7";
    }
    void Ticks(int n, WindowStatus::Last last, minutes length) {
        WindowStatus s;
        s.last = last;
        s.lastError = "网页加载失败（HTTP 503）";
        for (minutes t{0}; t < length; ++t) {
            m_health.OnRunEnded(n, s);
            m_now += minutes(1);
        }
    }
    testing::TempExeDir m_dir;
    TConfigTable m_configs;
    system_clock::time_point m_now = kStart;
    HealthSettings m_settings;
    std::vector<std::pair<std::string, WindowHealth::Notice>> m_sent;
    WindowHealth m_health{m_configs, [this] { return m_now; }, [this] { return m_settings; },
                          [this](const TConfig& slot, const WindowHealth::Notice& notice) {
                              m_sent.emplace_back(slot.WindowName, notice);
                          }};
};

// A site that asked to wait (429, 503) says nothing about the window: no failure, no recovery.
TEST_F(WindowHealthTest, ASiteWaitIsNeitherAFailureNorARecovery) {
    Ticks(2, WindowStatus::Last::Waiting, minutes(60));
    EXPECT_TRUE(m_sent.empty());
    Ticks(2, WindowStatus::Last::Error, minutes(15));
    ASSERT_EQ(m_sent.size(), 1u);
    Ticks(2, WindowStatus::Last::Waiting, minutes(60));
    EXPECT_EQ(m_sent.size(), 1u);
    EXPECT_TRUE(m_health.CountsOf(2).failing);
    EXPECT_EQ(m_health.CountsOf(2).failedTicks, 15);
    EXPECT_EQ(m_health.CountsOf(2).ticks, 15);
}

TEST_F(WindowHealthTest, AnHourOfFailuresOfOneWindowGivesOneNoticeAndItsRecoveryOne) {
    Ticks(2, WindowStatus::Last::Error, minutes(60));
    Ticks(0, WindowStatus::Last::Repeat, minutes(60));
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_EQ(m_sent[0].first, "显卡");
    EXPECT_EQ(m_sent[0].second.text.subject, "监控异常：显卡");
    EXPECT_THAT(m_sent[0].second.text.body, HasSubstr("原因：网页加载失败（HTTP 503）"));
    EXPECT_FALSE(m_sent[0].second.program);
    EXPECT_TRUE(m_health.CountsOf(2).failing);
    Ticks(2, WindowStatus::Last::Change, minutes(1));
    ASSERT_EQ(m_sent.size(), 2u);
    EXPECT_EQ(m_sent[1].second.text.subject, "监控恢复：显卡");
    EXPECT_THAT(m_sent[1].second.text.body, HasSubstr("持续时间：2 小时"));
    EXPECT_EQ(m_health.CountsOf(2).ticks, 61);
    EXPECT_EQ(m_health.CountsOf(2).failedTicks, 60);
    EXPECT_FALSE(m_health.CountsOf(2).failing);
    EXPECT_EQ(m_health.CountsOf(0).failedTicks, 0);
}

TEST_F(WindowHealthTest, AWindowFailingOnceGivesNothing) {
    Ticks(2, WindowStatus::Last::Error, minutes(1));
    Ticks(2, WindowStatus::Last::Repeat, minutes(30));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(WindowHealthTest, TheSettingsOfTheMomentHold) {
    m_settings.program = true;
    m_settings.failTicks = 1;
    m_settings.failMinutes = 0;
    Ticks(2, WindowStatus::Last::Error, minutes(1));
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_TRUE(m_sent[0].second.program);
}

}  // namespace
}  // namespace nuvaro
