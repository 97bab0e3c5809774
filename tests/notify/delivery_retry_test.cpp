// Retries over a day, on a clock the test moves: a notice waits out an outage of hours.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "notify/delivery_channel.h"
#include "support/fake_delivery_clock.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using std::chrono::minutes;
using TimePoint = DeliveryClock::TimePoint;

class RecordingJournal : public DeliveryJournal {
  public:
    void Trying(const DeliveryJob& job) override { Add("try " + std::to_string(job.attempt)); }
    void Waiting(const DeliveryJob& job) override { Add("wait " + std::to_string(job.attempt)); }
    void Settled(const DeliveryJob&) override { Add("settled"); }
    std::vector<std::string> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

  private:
    void Add(std::string e) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(e));
    }
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class DeliveryRetries : public ::testing::Test {
  protected:
    // The program's own pauses, on the fake clock.
    DeliveryPolicy Policy() {
        DeliveryPolicy policy;
        policy.clock = &clock;
        return policy;
    }
    std::unique_ptr<DeliveryChannel> Channel(DeliveryPolicy policy) {
        return std::make_unique<DeliveryChannel>(
            policy,
            [this](const DeliveryJob&, const GbkText& reason) {
                std::lock_guard lock(mutex);
                failures.push_back(reason.bytes());
            },
            &journal);
    }
    // A job whose tries are answered by `answer(attempt)`; each try's time is recorded.
    DeliveryJob Job(std::function<TryOutcome(int)> answer, bool test = false) {
        DeliveryJob job;
        job.key = test ? "" : "n1-1";
        job.test = test;
        job.run = [this, answer](int attempt) {
            std::lock_guard lock(mutex);
            tries.push_back(clock.Now());
            return TryResult{answer(attempt), GT("down")};
        };
        return job;
    }
    // Moves the clock to each retry as soon as the channel waits for it, until `done`.
    bool Drive(DeliveryChannel& channel, const std::function<bool()>& done) {
        // A deadline, not a count of spins: a short sleep may not sleep at all (Windows).
        const auto deadline = std::chrono::steady_clock::now() + 40s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) return true;
            auto due = channel.NextDue();
            if (due && *due > clock.Now()) {
                clock.Set(*due);
            } else {
                std::this_thread::sleep_for(200us);
            }
        }
        return false;
    }
    size_t Failures() {
        std::lock_guard lock(mutex);
        return failures.size();
    }
    // Minutes after the start at which each try came.
    std::vector<double> TryMinutes() {
        std::lock_guard lock(mutex);
        std::vector<double> at;
        for (auto t : tries) {
            at.push_back(std::chrono::duration<double, std::ratio<60>>(t - clock.kStart).count());
        }
        return at;
    }

    FakeDeliveryClock clock;
    RecordingJournal journal;
    std::mutex mutex;
    std::vector<TimePoint> tries;
    std::vector<std::string> failures;
};

TEST_F(DeliveryRetries, AnOutageOfADayIsTriedAtGrowingPausesThenHalfHourlyUntilTheDayIsOver) {
    auto channel = Channel(Policy());
    ASSERT_TRUE(channel->Add(Job([](int) { return TryOutcome::Passing; })));
    ASSERT_TRUE(Drive(*channel, [&] { return Failures() == 1; }));
    std::vector<double> expected{0, 0.5, 2.5, 12.5};
    for (double at = 42.5; at < 24 * 60; at += 30) expected.push_back(at);
    expected.push_back(24 * 60);  // the last try at the mark
    EXPECT_THAT(TryMinutes(), ::testing::ElementsAreArray(expected));
    EXPECT_EQ(expected.size(), 52u);
    EXPECT_EQ(journal.Events().back(), "settled");
    EXPECT_TRUE(channel->WaitUntilIdle(5s));
    EXPECT_EQ(Failures(), 1u);
}

TEST_F(DeliveryRetries, AServerBackAfterTwelveAndAHalfMinutesGetsTheNoticeOnce) {
    auto channel = Channel(Policy());
    std::atomic<int> sent{0};
    ASSERT_TRUE(channel->Add(Job([&](int attempt) {
        if (attempt < 5) return TryOutcome::Passing;
        ++sent;
        return TryOutcome::Sent;
    })));
    ASSERT_TRUE(Drive(*channel, [&] { return sent == 1; }));
    EXPECT_TRUE(channel->WaitUntilIdle(5s));
    EXPECT_THAT(TryMinutes(), ::testing::ElementsAre(0, 0.5, 2.5, 12.5, 42.5));
    EXPECT_EQ(Failures(), 0u);
    // The journal hears of each try before it and of its outcome after it.
    EXPECT_THAT(journal.Events(),
                ::testing::ElementsAre("try 1", "wait 2", "try 2", "wait 3", "try 3", "wait 4",
                                       "try 4", "wait 5", "try 5", "settled"));
}

struct ShortCase {
    const char* name;
    TryOutcome outcome;
    bool test;
    std::vector<double> minutes;
};

class ShortLivedDelivery : public DeliveryRetries,
                           public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortLivedDelivery, FailsForGoodAfterItsTries) {
    auto channel = Channel(Policy());
    ASSERT_TRUE(channel->Add(Job([](int) { return GetParam().outcome; }, GetParam().test)));
    ASSERT_TRUE(Drive(*channel, [&] { return Failures() == 1; }));
    EXPECT_THAT(TryMinutes(), ::testing::ElementsAreArray(GetParam().minutes));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortLivedDelivery,
    ::testing::Values(
        ShortCase{"PermanentAtOnce", TryOutcome::Permanent, false, {0}},
        ShortCase{"TestSendFirstRetriesOnly", TryOutcome::Passing, true, {0, 0.5, 2.5, 12.5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeliveryRetries, ANoticeRaisedNearlyADayAgoHasOneLastTryAtTheMark) {
    auto channel = Channel(Policy());
    DeliveryJob job = Job([](int) { return TryOutcome::Passing; });
    job.raised = clock.Now() - (24h - 1min);
    job.attempt = 40;
    ASSERT_TRUE(channel->Add(job));
    ASSERT_TRUE(Drive(*channel, [&] { return Failures() == 1; }));
    EXPECT_THAT(TryMinutes(), ::testing::ElementsAre(0, 1));
}

// At exit a kept notice that waits for its retry stays for the next start; one kept in memory
// only gets its last try now.
TEST_F(DeliveryRetries, AtCloseAKeptRetryWaitsAndAnUnkeptOneIsTriedOnceMore) {
    auto channel = Channel(Policy());
    ASSERT_TRUE(channel->Add(Job([](int) { return TryOutcome::Passing; })));
    DeliveryJob unkept = Job([](int) { return TryOutcome::Passing; });
    unkept.key.clear();
    ASSERT_TRUE(channel->Add(unkept));
    const auto deadline = std::chrono::steady_clock::now() + 4s;
    while (std::chrono::steady_clock::now() < deadline &&
           !(TryMinutes().size() == 2 && channel->NextDue())) {
        std::this_thread::sleep_for(200us);
    }
    ASSERT_TRUE(channel->NextDue());
    channel->Close();
    EXPECT_TRUE(channel->WaitUntilIdle(5s));
    EXPECT_EQ(TryMinutes().size(), 3u);
    EXPECT_EQ(Failures(), 1u);  // the unkept one, after its last try
    auto left = channel->TakeWaiting();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].key, "n1-1");
    EXPECT_EQ(left[0].attempt, 2);
    EXPECT_EQ(left[0].due, clock.kStart + 30s);
}

}  // namespace
}  // namespace nuvaro::testing
