// The loads of one site take turns, and a site that asks to wait holds its windows.
#include "monitor/site_gate.h"

#include <gtest/gtest.h>

#include <vector>

#include "monitor/retry_after.h"
#include "support/fake_clock.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using Wall = std::chrono::system_clock::time_point;

// 1994-11-06 08:49:37 GMT
const Wall kNow = Wall(std::chrono::seconds(784111777));

TEST(RetryAfter, ReadsSecondsAndTheThreeDateFormsAndRefusesTheRest) {
    EXPECT_EQ(RetryAfterDelay("120", kNow), 120s);
    EXPECT_EQ(RetryAfterDelay(" 0 ", kNow), 0s);
    EXPECT_EQ(RetryAfterDelay("Sun, 06 Nov 1994 08:51:37 GMT", kNow), 120s);
    EXPECT_EQ(RetryAfterDelay("Sunday, 06-Nov-94 09:49:37 GMT", kNow), 3600s);
    EXPECT_EQ(RetryAfterDelay("Sun Nov  6 08:49:47 1994", kNow), 10s);
    EXPECT_EQ(RetryAfterDelay("Sat, 05 Nov 1994 08:49:37 GMT", kNow), 0s);  // past: no wait
    EXPECT_EQ(RetryAfterDelay("Thu, 01 Jan 2099 00:00:00 GMT", kNow).value() > 3600s, true);
    EXPECT_EQ(RetryAfterDelay("99999999999999999999999", kNow).value() > 3600s, true);
    for (const char* junk :
         {"", "-5", "1.5", "soon", "120s", "Sun, 06 Nov 1994 25:00:00 GMT",
          "Sun, 06 Foo 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49:37 CET", "\r\n", "0x10"}) {
        EXPECT_FALSE(RetryAfterDelay(junk, kNow)) << junk;
    }
}

TEST(SiteOf, IsHostAndPortWithTheSchemesPortByDefault) {
    EXPECT_EQ(SiteOf("http://Shop.Example.com/item?id=1"), "shop.example.com:80");
    EXPECT_EQ(SiteOf("https://shop.example.com"), "shop.example.com:443");
    EXPECT_EQ(SiteOf("http://127.0.0.1:8080/p"), "127.0.0.1:8080");
    EXPECT_EQ(SiteOf("http://user:pw@host:81/a@b"), "host:81");
    EXPECT_EQ(SiteOf("http://[::1]:9000/"), "[::1]:9000");
    EXPECT_EQ(SiteOf("http://[::1]/"), "[::1]:80");
    EXPECT_EQ(SiteOf("www.example.com/a"), "www.example.com:80");
    EXPECT_EQ(SiteOf("about:blank"), "");
    EXPECT_EQ(SiteOf("file:///tmp/a.html"), "");
    EXPECT_EQ(SiteOf(""), "");
}

TEST(SiteSettings, DefaultToTwoLoadsTwoSecondsApartAndRefuseAbsurdValues) {
    IniDocument doc;
    SiteSettings settings = ReadSiteSettings(doc);
    EXPECT_EQ(settings.perSite, 2);
    EXPECT_EQ(settings.gap, 2s);
    doc.Write("Sites", "PerSite", "4");
    doc.Write("Sites", "GapSeconds", "0");
    settings = ReadSiteSettings(doc);
    EXPECT_EQ(settings.perSite, 4);
    EXPECT_EQ(settings.gap, 0s);
    doc.Write("Sites", "PerSite", "0");
    doc.Write("Sites", "GapSeconds", "99999999999");
    settings = ReadSiteSettings(doc);
    EXPECT_EQ(settings.perSite, 2);
    EXPECT_EQ(settings.gap, 2s);
}

class SiteGateTest : public ::testing::Test {
  protected:
    // Window n asks for a place; its start is recorded with the time.
    void Ask(int n, const std::string& site = "a:80") {
        gate.Ask(n, site, [this, n] { started.push_back({n, clock.Now()}); });
    }
    std::vector<int> StartedWindows() const {
        std::vector<int> windows;
        for (const auto& [n, at] : started) windows.push_back(n);
        return windows;
    }
    std::optional<EngineClock::TimePoint> Answer(int status, const std::string& retryAfter = {}) {
        return gate.Answered("a:80", status, retryAfter, std::chrono::system_clock::now());
    }

    FakeClock clock;
    SiteGate gate{clock};
    std::vector<std::pair<int, EngineClock::TimePoint>> started;
};

TEST_F(SiteGateTest, TwoLoadsOfASiteAtOnceStartedTwoSecondsApartInTheOrderAsked) {
    const auto t0 = clock.Now();
    for (int n = 1; n <= 5; ++n) Ask(n);
    Ask(9, "b:80");  // another site does not wait for this one
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 9}));
    clock.Advance(2s);
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 9, 2}));
    EXPECT_EQ(gate.Loading("a:80"), 2);
    clock.Advance(10s);  // both places taken: nobody else starts
    EXPECT_EQ(started.size(), 3u);
    EXPECT_TRUE(gate.Waiting(3));
    gate.Release(1);
    clock.Advance(0ms);
    gate.Release(2);
    clock.Advance(2s);
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 9, 2, 3, 4}));
    EXPECT_EQ(started[4].second - started[3].second, 2s);
    EXPECT_EQ(started[2].second - t0, 2s);
}

TEST_F(SiteGateTest, AWindowThatGoesFreesItsPlaceAndLeavesTheQueue) {
    Ask(1);
    Ask(2);
    Ask(3);
    gate.Release(2);  // still waiting: it leaves the queue
    gate.Release(1);
    clock.Advance(2s);
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 3}));
    EXPECT_FALSE(gate.Waiting(2));
}

TEST_F(SiteGateTest, RetryAfterHoldsEveryWindowOfTheSiteUntilThenAtMostAnHour) {
    Ask(1);
    gate.Release(1);
    auto until = Answer(429, "120");
    ASSERT_TRUE(until);
    EXPECT_EQ(*until - clock.Now(), 120s);
    Ask(2);
    Ask(3, "b:80");
    clock.Advance(119s);
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 3}));
    clock.Advance(1s);
    EXPECT_EQ(StartedWindows(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(*Answer(503, "86400") - clock.Now(), std::chrono::seconds(SiteGate::kLongestHold));
    EXPECT_EQ(*Answer(503, "99999999999999999999") - clock.Now(),
              std::chrono::seconds(SiteGate::kLongestHold));
}

TEST_F(SiteGateTest, WithoutRetryAfterTheSiteBacksOffDoublingUpToHalfAnHourUntilASuccess) {
    std::vector<std::chrono::seconds> holds;
    for (int i = 0; i < 7; ++i) {
        holds.push_back(
            std::chrono::ceil<std::chrono::seconds>(*Answer(429, "junk") - clock.Now()));
        clock.Advance(holds.back());
    }
    EXPECT_EQ(holds,
              (std::vector<std::chrono::seconds>{60s, 120s, 240s, 480s, 960s, 1800s, 1800s}));
    EXPECT_FALSE(Answer(404));  // no success: the back-off stays
    EXPECT_EQ(*Answer(503) - clock.Now(), 1800s);
    clock.Advance(1800s);
    EXPECT_FALSE(Answer(200));
    EXPECT_EQ(*Answer(503) - clock.Now(), 60s);
    EXPECT_FALSE(gate.Answered("", 429, "60", std::chrono::system_clock::now()));
}

TEST_F(SiteGateTest, AWaitThatEndsSoonerDoesNotShortenALongerOne) {
    Answer(429, "600");
    auto until = Answer(429, "5");
    EXPECT_EQ(*until - clock.Now(), 600s);
    EXPECT_EQ(gate.HeldUntil("a:80"), until);
    clock.Advance(600s);
    EXPECT_FALSE(gate.HeldUntil("a:80"));
}

}  // namespace
}  // namespace nuvaro::testing
