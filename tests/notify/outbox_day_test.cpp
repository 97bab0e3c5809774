// A day without a mail server: 30 windows change every minute; the outbox keeps each window's
// first notice and folds the rest into one, stays small, and delivers both once the server is
// back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "core/gbk.h"
#include "notify/dispatch_fixture.h"
#include "notify/send_log.h"
#include "support/fake_delivery_clock.h"

namespace nuvaro {
namespace {

using namespace std::chrono;

class OutboxDay : public DispatchEndToEnd {
  protected:
    ~OutboxDay() override { m_dispatcher.reset(); }  // its workers use the clock

    // Every kept delivery has had its try and waits for the next one.
    bool Settled() {
        const int64_t now = system_clock::to_time_t(m_clock.WallNow());
        for (const OutboxEntry& e : m_dispatcher->KeptIn()->Entries()) {
            if (e.trying || e.due <= now) return false;
        }
        return true;
    }
    void WaitSettled() {
        const auto deadline = steady_clock::now() + 60s;
        while (!Settled()) {
            ASSERT_LT(steady_clock::now(), deadline);
            std::this_thread::sleep_for(1ms);
        }
    }

    testing::FakeDeliveryClock m_clock;
};

TEST_F(OutboxDay, ThirtyWindowsChangingEveryMinuteGetTheirFirstAndOneFoldedNoticeEach) {
    constexpr int kWindows = 30, kMinutes = 24 * 60;
    const int port = testing::FreeLoopbackPort();
    MailServer(port, 5);
    std::vector<TConfig*> slots;
    for (int i = 1; i <= kWindows; ++i) {
        TConfig& slot = Window(i);
        slot.OtherOpen = slot.SmsOpen = "0";
        slot.Subject = "窗口{slot}";
        slot.Body = "价格 {found}";
        slot.SaveAll();
        slots.push_back(&slot);
    }
    DeliveryPolicy policy;
    policy.clock = &m_clock;
    const std::string file = m_dir.File("outbox.inf");
    NotifyDispatcher& dispatcher = Dispatcher(policy, std::make_unique<Outbox>(file, m_clock));
    uintmax_t largest = 0;
    for (int minute = 0; minute < kMinutes; ++minute) {
        for (TConfig* slot : slots)
            dispatcher.Dispatch(*slot, GT("价格 " + std::to_string(minute)));
        WaitSettled();
        largest = std::max(largest, std::filesystem::file_size(file));
        if (minute + 1 == kMinutes) break;
        m_clock.Advance(minutes(1));
        WaitSettled();  // the retries now due are over before the next changes come
    }
    EXPECT_EQ(dispatcher.KeptIn()->Count(), 2u * kWindows);
    EXPECT_LT(largest, 1024u * 1024u);
    ::testing::Test::RecordProperty("LargestOutboxBytes", std::to_string(largest));
    std::printf("largest outbox.inf during the day: %ju bytes\n", largest);

    // Back just before the first notice's last try, a day after it was raised.
    SmtpTestServer mail(SmtpTestServer::Mode::Accept, port);
    for (int step = 0; step < 60 && dispatcher.KeptIn()->Count() > 0; ++step) {
        m_clock.Advance(minutes(1));
        WaitSettled();
    }
    ASSERT_TRUE(mail.WaitForMessages(2 * kWindows));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    std::map<std::string, std::vector<std::string>> bySubject;
    for (const auto& m : mail.Messages()) bySubject[m.subject].push_back(m.body);
    ASSERT_EQ(bySubject.size(), static_cast<size_t>(kWindows));
    for (auto& [subject, bodies] : bySubject) {
        std::sort(bodies.begin(), bodies.end());
        EXPECT_EQ(bodies, (Lines{"价格 价格 0", "期间共有 1439 次变化，最新：价格 价格 1439"}))
            << subject;
    }
    EXPECT_EQ(dispatcher.KeptIn()->Count(), 0u);
    EXPECT_TRUE(Failed().empty());
}

OutboxEntry Change(const std::string& key, int64_t raised, const std::string& found) {
    OutboxEntry e;
    e.key = key;
    e.channel = std::string(kEmailChannel);
    e.slot = e.facts.slot = "4";
    e.recipient = GbkText::FromBytes("watcher@example.com");
    e.record = GbkText::FromBytes("record");
    e.facts.found = GbkText::FromBytes(found);
    e.facts.id = key;
    e.raised = e.due = raised;
    return e;
}

// While the newest pending delivery is being tried, newer notices wait beside it; once its try
// has failed, they fold into it, so a recipient never keeps more than its share for long.
TEST(OutboxFolds, NoticesThatCameDuringATryJoinItWhenItFails) {
    testing::TempExeDir dir;
    Outbox box(dir.File("outbox.inf"));
    EXPECT_EQ(box.AddOrFold({Change("a", 1, "1"), Change("b", 2, "2")}),
              (std::vector<bool>{false, false}));
    DeliveryJob tried;
    tried.key = "b";
    tried.attempt = 1;
    box.Trying(tried);
    EXPECT_EQ(box.AddOrFold({Change("c", 3, "3")}), std::vector<bool>{false});
    EXPECT_EQ(box.AddOrFold({Change("d", 4, "4")}), std::vector<bool>{true});
    EXPECT_EQ(box.Find("c")->facts.folded, 2);
    EXPECT_EQ(box.Find("c")->facts.found.bytes(), "4");
    tried.attempt = 2;
    box.Waiting(tried);
    ASSERT_EQ(box.Count(), 2u);
    EXPECT_EQ(box.Find("a")->facts.found.bytes(), "1");
    EXPECT_EQ(box.Find("b")->facts.found.bytes(), "4");
    EXPECT_EQ(box.Find("b")->facts.folded, 3);
    EXPECT_EQ(box.Find("b")->facts.id, "b");
    EXPECT_FALSE(box.Find("c"));
    // What the file holds reads back the same.
    Outbox again(dir.File("outbox.inf"));
    EXPECT_EQ(again.Find("b")->facts.folded, 3);
    // Another window, channel or kind of notice is a recipient of its own.
    OutboxEntry other = Change("e", 5, "5");
    other.facts.kind = kNoticeFailing;
    EXPECT_EQ(box.AddOrFold({other}), std::vector<bool>{false});
}

}  // namespace
}  // namespace nuvaro
