#include "notify/notify_dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>

#include "config/tconfig.h"
#include "core/text_cut.h"
#include "notify/send_log.h"
#include "services/shell.h"
#include "support/notify_helpers.h"

namespace nuvaro {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using Clock = std::chrono::steady_clock;
using testing::GT;

// What the dispatcher did, from any thread.
class Events {
  public:
    void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::vector<std::string> All() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    size_t Count(const std::string& prefix) const {
        auto all = All();
        return std::count_if(all.begin(), all.end(),
                             [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class RecordingShell : public Shell {
  public:
    explicit RecordingShell(Events& events) : m_events(events) {}
    void OpenDocument(std::string_view) override {}
    void OpenPath(std::string_view) override {}
    void OpenPathOrReport(std::string_view, std::function<void()>) override {}
    bool Execute(std::string_view file, std::string_view parameters) override {
        m_events.Add("Execute " + std::string(file) + " " + std::string(parameters));
        return file != "/missing";
    }

  private:
    Events& m_events;
};

// Stands in for the plug-ins. Each try records "<channel> <recipient> <attempt>" and answers
// with `answer` (sent unless told otherwise); tries wait for the gate, so a test can hold them.
class FakeLibraries : public NotifyLibraries {
  public:
    FakeLibraries(Events& events, std::shared_future<void> gate, bool smsMissing)
        : m_events(events), m_gate(std::move(gate)), m_smsMissing(smsMissing) {}

    GbkText ReadWindowsInfo(std::string_view slot) override {
        m_events.Add("ReadWindowsInfo " + std::string(slot));
        return GT("record-" + std::string(slot) + "|");
    }
    GbkText ReadUserId() override {
        m_events.Add("ReadUserId");
        return GT("user");
    }
    GbkText ReadEmail() override {
        m_events.Add("ReadEmail");
        return GT("account");
    }
    void SaveEmail(const GbkText&, const GbkText&, const GbkText&, const GbkText&,
                   const GbkText&) override {}
    Sender SmsSender() override {
        if (m_smsMissing) throw PluginError("no smsdll");
        return Make("SMS");
    }
    Sender MailSender() override { return Make("EMAIL"); }
    void CancelSends() override {
        m_events.Add("CancelSends");
        if (onCancel) onCancel();
    }

    std::function<void()> onCancel;
    std::vector<GbkText> recipients{GT("r1")};
    std::function<TryResult(const std::string& channel, const SendTry&)> answer;
    std::function<void(const std::string& channel, const SendTry&)> holdUntil;  // extra gate
    std::vector<SendTry> Tries() {
        std::lock_guard lock(m_mutex);
        return m_tries;
    }

  private:
    Sender Make(std::string channel) {
        return {
            [this, channel](const GbkText& record) {
                m_events.Add(channel + "Recipients " + record.bytes());
                return recipients;
            },
            [this, channel](const SendTry& one) {
                m_gate.wait();
                if (holdUntil) holdUntil(channel, one);
                {
                    std::lock_guard lock(m_mutex);
                    m_tries.push_back(one);
                }
                m_events.Add(channel + " " + one.recipient.bytes() + " " +
                             std::to_string(one.attempt));
                return answer ? answer(channel, one) : TryResult{TryOutcome::Sent, GT("250 ok")};
            }};
    }
    Events& m_events;
    std::shared_future<void> m_gate;
    bool m_smsMissing;
    std::mutex m_mutex;
    std::vector<SendTry> m_tries;
};

// The first retries only: a passing failure is final after the fourth try.
DeliveryPolicy FastPolicy() {
    DeliveryPolicy policy;
    policy.retryPauses = {10ms, 20ms, 30ms};
    policy.giveUpAfter = 0ms;
    return policy;
}

class Dispatcher : public ::testing::Test {
  protected:
    explicit Dispatcher(bool smsMissing = false, DeliveryPolicy policy = FastPolicy())
        : m_shell(m_events), m_dispatcher(m_shell, Fake(smsMissing), policy) {
        m_dispatcher.SetFailureObserver([this](const FailedNotice& failed) {
            std::lock_guard lock(m_failedMutex);
            m_failed.push_back(failed);
        });
    }
    ~Dispatcher() override { Open(); }

    std::unique_ptr<FakeLibraries> Fake(bool smsMissing) {
        auto fake = std::make_unique<FakeLibraries>(m_events, m_gateFuture, smsMissing);
        m_libraries = fake.get();
        return fake;
    }
    void Open() {
        if (!m_opened) m_gate.set_value();
        m_opened = true;
    }
    TConfig& Slot(int index, const std::string& other, const std::string& sms,
                  const std::string& email) {
        m_slot = std::make_unique<TConfig>(index, m_dir.File("Config.inf"));
        m_slot->OtherOpen = other;
        m_slot->SmsOpen = sms;
        m_slot->EmailOpen = email;
        m_slot->OtherProgram = "/bin/prog";
        m_slot->OtherStr = "-a \"b c\"";
        m_slot->WindowName = "shop";
        return *m_slot;
    }
    std::vector<FailedNotice> Failed() {
        std::lock_guard lock(m_failedMutex);
        return m_failed;
    }

    testing::TempExeDir m_dir;
    Events m_events;
    std::promise<void> m_gate;
    std::shared_future<void> m_gateFuture = m_gate.get_future().share();
    bool m_opened = false;
    RecordingShell m_shell;
    FakeLibraries* m_libraries = nullptr;  // owned by the dispatcher
    std::mutex m_failedMutex;
    std::vector<FailedNotice> m_failed;
    NotifyDispatcher m_dispatcher;
    std::unique_ptr<TConfig> m_slot;
};

TEST_F(Dispatcher, RecordsAreReadInTheOrderProgramSmsMailAndEverySendLeaves) {
    m_dispatcher.Dispatch(Slot(12, "1", "1", "1"), GbkText::FromBytes("found"));
    // Read on the caller's thread, while the sends are still held.
    EXPECT_THAT(m_events.All(), ::testing::IsSupersetOf({"ReadUserId", "ReadWindowsInfo 12",
                                                         "SMSRecipients record-12|", "ReadEmail",
                                                         "EMAILRecipients record-12|"}));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    auto events = m_events.All();
    auto at = [&](const std::string& e) { return std::find(events.begin(), events.end(), e); };
    EXPECT_LT(at("ReadUserId"), at("ReadEmail"));
    EXPECT_NE(at("Execute /bin/prog -a \"b c\""), events.end());
    EXPECT_NE(at("SMS r1 1"), events.end());
    EXPECT_NE(at("EMAIL r1 1"), events.end());
    EXPECT_TRUE(Failed().empty());
}

struct SwitchCase {
    const char* name;
    std::string other, sms, email;
    std::vector<std::string> sends;
};

class DispatchSwitches : public Dispatcher, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(DispatchSwitches, EachChannelRunsOnlyWhenItsSwitchIsExactlyOne) {
    const auto& c = GetParam();
    m_dispatcher.Dispatch(Slot(3, c.other, c.sms, c.email));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    std::vector<std::string> sends;
    for (const auto& e : m_events.All()) {
        if (e.rfind("Execute", 0) == 0 || e.rfind("SMS ", 0) == 0 || e.rfind("EMAIL ", 0) == 0) {
            sends.push_back(e);
        }
    }
    EXPECT_THAT(sends, ::testing::UnorderedElementsAreArray(c.sends));
}

const std::vector<std::string> kNothing;

INSTANTIATE_TEST_SUITE_P(
    Switches, DispatchSwitches,
    ::testing::Values(SwitchCase{"AllOff", "0", "0", "0", kNothing},
                      SwitchCase{"AllEmpty", "", "", "", kNothing},
                      SwitchCase{"BlankBefore", " 1", " 1", " 1", kNothing},
                      SwitchCase{"BlankAfter", "1 ", "1 ", "1 ", kNothing},
                      SwitchCase{"LeadingZero", "01", "01", "01", kNothing},
                      SwitchCase{"AWord", "on", "true", "yes", kNothing},
                      SwitchCase{"SmsAlone", "0", "1", "0", {"SMS r1 1"}},
                      SwitchCase{"ProgramAlone", "1", "", "", {"Execute /bin/prog -a \"b c\""}},
                      SwitchCase{"MailAlone", "", "", "1", {"EMAIL r1 1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dispatcher, TheSendsCarryTheRecordAndTheFactsOfTheMomentBesideIt) {
    TConfig& slot = Slot(12, "0", "1", "1");
    slot.url = "http://shop/item";
    const std::string found = "a|b\r\nc" + std::string(10000, 'x');
    m_dispatcher.Dispatch(slot, GbkText::FromBytes(found));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    auto tries = m_libraries->Tries();
    ASSERT_EQ(tries.size(), 2u);
    for (const auto& one : tries) {
        EXPECT_EQ(one.record, "record-12|");
        auto facts = DecodeNoticeFacts(one.notice);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->found,
                  CutText(GbkText::FromBytes(found)));  // a notice carries a found text cut
        EXPECT_TRUE(facts->found.view().ends_with(testing::G("（共 10006 字）")));
        EXPECT_EQ(facts->name, "shop");
        EXPECT_EQ(facts->url, "http://shop/item");
        EXPECT_EQ(facts->slot, "12");
        EXPECT_FALSE(facts->time.empty());
    }
}

TEST_F(Dispatcher, TheProgramGetsItsPlaceholdersFilledInsideEachArgument) {
    TConfig& slot = Slot(4, "1", "0", "0");
    slot.OtherStr = "--found {found} \"--at={name} {slot}\" {url}";
    slot.url = "http://x/?a=1&b=2";
    m_dispatcher.Dispatch(slot, GbkText::FromBytes("two words \"quoted\""));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    auto events = m_events.All();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], R"(Execute /bin/prog --found "two words \"quoted\"" "--at=shop 4" )"
                         R"(http://x/?a=1&b=2)");
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[PROGRAM][4][/bin/prog][try 1] OK"));
}

TEST_F(Dispatcher, AProgramThatCannotStartIsAFinalFailure) {
    TConfig& slot = Slot(5, "1", "0", "0");
    slot.OtherProgram = "/missing";
    m_dispatcher.Dispatch(slot);
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    ASSERT_EQ(Failed().size(), 1u);
    EXPECT_EQ(Failed()[0].channel, "PROGRAM");
    EXPECT_EQ(Failed()[0].windowName, "shop");
    EXPECT_EQ(Failed()[0].slot, "5");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[PROGRAM][5][/missing][try 1] FAILED"));
}

TEST_F(Dispatcher, AHangingChannelHoldsUpNeitherAnotherChannelNorAnotherRecipient) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    m_libraries->recipients = {GT("slow"), GT("quick")};
    m_libraries->holdUntil = [&](const std::string& channel, const SendTry& one) {
        if (channel == "SMS" || one.recipient == "slow") released.wait();
    };
    Open();
    m_dispatcher.Dispatch(Slot(2, "1", "1", "1"));
    EXPECT_TRUE(testing::WaitFor([&] { return m_events.Count("EMAIL quick") == 1; }));
    EXPECT_TRUE(testing::WaitFor([&] { return m_events.Count("Execute") == 1; }));
    EXPECT_EQ(m_events.Count("SMS "), 0u);
    EXPECT_EQ(m_events.Count("EMAIL slow"), 0u);
    release.set_value();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.Count("SMS "), 2u);
}

TEST_F(Dispatcher, APassingFailureIsTriedAgainUntilItGoes) {
    m_libraries->answer = [](const std::string&, const SendTry& one) {
        return one.attempt < 3 ? TryResult{TryOutcome::Passing, GT("451 busy")}
                               : TryResult{TryOutcome::Sent, GT("250 ok")};
    };
    Open();
    m_dispatcher.SendEmailNotice("6");
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.Count("EMAIL r1 "), 3u);
    EXPECT_TRUE(Failed().empty());
}

struct FailureCase {
    const char* name;
    TryOutcome outcome;
    size_t tries;
};

class FinalFailure : public Dispatcher, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FinalFailure, IsReportedOnceAfterTheTriesItDeserves) {
    m_libraries->answer = [&](const std::string&, const SendTry&) {
        return TryResult{GetParam().outcome, GT("why")};
    };
    Open();
    m_dispatcher.Dispatch(Slot(8, "0", "1", "0"));
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.Count("SMS r1 "), GetParam().tries);
    EXPECT_EQ(m_events.Count("SMS r1 " + std::to_string(GetParam().tries)), 1u);
    auto failed = Failed();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].slot, "8");
    EXPECT_EQ(failed[0].windowName, "shop");
    EXPECT_EQ(failed[0].channel, "SMS");
    EXPECT_EQ(failed[0].recipient, "r1");
    EXPECT_EQ(failed[0].reason, "why");
    EXPECT_FALSE(failed[0].test);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, FinalFailure,
                         ::testing::Values(FailureCase{"Permanent", TryOutcome::Permanent, 1},
                                           FailureCase{"PassingEveryTime", TryOutcome::Passing, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

class SlowRetries : public Dispatcher {
  protected:
    static DeliveryPolicy Policy() {
        DeliveryPolicy policy;
        policy.retryPauses = {300ms, 600ms};
        policy.giveUpAfter = 0ms;
        return policy;
    }
    SlowRetries() : Dispatcher(false, Policy()) {}
};

TEST_F(SlowRetries, EachRetryWaitsForItsPauseWhileOtherNoticesGoOn) {
    std::vector<Clock::time_point> at;
    std::mutex mutex;
    m_libraries->answer = [&](const std::string&, const SendTry& one) {
        if (one.recipient != "r1") return TryResult{TryOutcome::Sent, GT("")};
        std::lock_guard lock(mutex);
        at.push_back(Clock::now());
        return TryResult{TryOutcome::Passing, GT("down")};
    };
    Open();
    m_dispatcher.SendEmailNotice("1");
    m_libraries->recipients = {GT("other")};
    m_dispatcher.SendEmailNotice("2");
    EXPECT_TRUE(testing::WaitFor([&] { return m_events.Count("EMAIL other 1") == 1; }, 200ms));
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    ASSERT_EQ(at.size(), 3u);
    EXPECT_GE(at[1] - at[0], 300ms);
    EXPECT_GE(at[2] - at[1], 600ms);
    EXPECT_EQ(Failed().size(), 1u);
}

class SmallQueue : public Dispatcher {
  protected:
    static DeliveryPolicy Policy() {
        DeliveryPolicy policy = FastPolicy();
        policy.queueLimit = 2;
        return policy;
    }
    SmallQueue() : Dispatcher(false, Policy()) {}
};

TEST_F(SmallQueue, ANoticeBeyondTheBoundIsLoggedAndReportedNotSilentlyDropped) {
    m_libraries->recipients = {GT("a"), GT("b"), GT("c")};
    m_dispatcher.Dispatch(Slot(9, "0", "0", "1"));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.Count("EMAIL "), 2u);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][9][c] FAILED: 待发送的通知太多"));
    ASSERT_EQ(Failed().size(), 1u);
    EXPECT_EQ(Failed()[0].recipient, "c");
}

TEST_F(Dispatcher, TestSendsHandTheTestRecordOverUnchangedWithTheDialogsFacts) {
    NoticeFacts facts{{}, GT("shop"), GT("http://x"), "2026-1-2 3:04:05", "7", {}};
    m_dispatcher.SendSMSToTest(GT("1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||"), facts);
    m_dispatcher.SendEmailTest(GT("1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||"), facts);
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    auto tries = m_libraries->Tries();
    ASSERT_EQ(tries.size(), 2u);
    std::vector<std::string> records{tries[0].record.bytes(), tries[1].record.bytes()};
    EXPECT_THAT(records, UnorderedElementsAre("1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||",
                                              "1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||"));
    EXPECT_EQ(tries[0].notice, EncodeNoticeFacts(facts));
}

TEST_F(Dispatcher, ShutdownFinishesWhatIsQueuedThenRefusesWithALoggedFailure) {
    for (int i = 1; i <= 3; ++i) m_dispatcher.SendSMSNotice(std::to_string(i));
    Open();
    EXPECT_TRUE(m_dispatcher.Shutdown());
    EXPECT_EQ(m_events.Count("SMS "), 3u);
    m_dispatcher.SendEmailTest(GT("late"));
    EXPECT_EQ(m_events.Count("EMAIL "), 0u);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][r1] FAILED: 程序正在退出，通知未发送"));
}

TEST_F(Dispatcher, ShutdownGivesUpAfterItsGraceCancelsTheRunningSendAndLogsTheRest) {
    DeliveryPolicy one;
    m_libraries->onCancel = [this] { Open(); };
    m_libraries->recipients = {GT("a"), GT("b"), GT("c"),
                               GT("d"), GT("e"), GT("f")};  // more than the workers
    m_dispatcher.SendSMSNotice("4");
    EXPECT_FALSE(m_dispatcher.Shutdown(100ms));  // the sends are held until cancelled
    EXPECT_EQ(m_events.Count("CancelSends"), 1u);
    EXPECT_EQ(m_events.Count("SMS "), one.workers);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 6u - one.workers);
    for (const auto& line : log) EXPECT_THAT(line, HasSubstr("[SMS][4]["));
    for (const auto& line : log) EXPECT_THAT(line, HasSubstr("] FAILED: 程序正在退出"));
}

TEST_F(Dispatcher, AtShutdownARetryStillWaitingGetsOneLastTry) {
    NotifyDispatcher slow(m_shell, Fake(false), DeliveryPolicy{});  // the first retry is far off
    m_libraries->answer = [](const std::string&, const SendTry& one) {
        return one.attempt == 1 ? TryResult{TryOutcome::Passing, GT("down")}
                                : TryResult{TryOutcome::Sent, GT("250")};
    };
    Open();
    slow.SendEmailNotice("3");
    ASSERT_TRUE(testing::WaitFor([&] { return m_events.Count("EMAIL r1 1") == 1; }));
    EXPECT_TRUE(slow.Shutdown());
    EXPECT_EQ(m_events.Count("EMAIL r1 2"), 1u);
}

class DispatcherWithoutSms : public Dispatcher {
  protected:
    DispatcherWithoutSms() : Dispatcher(true) {}
};

// The missing plug-in fails its own channel, told once for the notice; the notice counts as
// told (nothing is raised that would make the window notify again at its next tick).
TEST_F(DispatcherWithoutSms, AMissingPlugInFailsItsChannelOnlyAndOncePerNotice) {
    EXPECT_NO_THROW(m_dispatcher.Dispatch(Slot(5, "1", "1", "1")));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.Count("Execute /bin/prog"), 1u);
    EXPECT_EQ(m_events.Count("EMAIL r1 1"), 1u);
    EXPECT_EQ(m_events.Count("SMS"), 0u);
    auto failed = Failed();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].channel, kSmsChannel);
    EXPECT_EQ(failed[0].slot, "5");
    EXPECT_THAT(failed[0].reason, ::testing::HasSubstr("no smsdll"));
}

}  // namespace
}  // namespace nuvaro
