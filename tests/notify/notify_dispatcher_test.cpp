#include "notify/notify_dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>

#include "config/tconfig.h"
#include "support/notify_helpers.h"
#include "platform/shell.h"

namespace nuvaro {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// What the dispatcher did, in order, from any thread.
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

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class RecordingShell : public Shell {
  public:
    explicit RecordingShell(Events& events) : m_events(events) {}
    void OpenDocument(std::string_view target) override {
        m_events.Add("Open " + std::string(target));
    }
    void OpenPath(std::string_view path) override { m_events.Add("OpenPath " + std::string(path)); }
    void Execute(std::string_view file, std::string_view parameters) override {
        m_events.Add("Execute " + std::string(file) + " " + std::string(parameters));
    }

  private:
    Events& m_events;
};

// Stands in for the plug-ins; sends wait for the gate, so a test can hold them.
class FakeLibraries : public NotifyLibraries {
  public:
    FakeLibraries(Events& events, std::shared_future<void> gate, bool smsMissing)
        : m_events(events), m_gate(std::move(gate)), m_smsMissing(smsMissing) {}

    std::string ReadWindowsInfo(std::string_view slot) override {
        m_events.Add("ReadWindowsInfo " + std::string(slot));
        return "record-" + std::string(slot) + "|";
    }
    std::string ReadUserId() override {
        m_events.Add("ReadUserId");
        return "user";
    }
    std::string ReadEmail() override {
        m_events.Add("ReadEmail");
        return "account";
    }
    void SaveEmail(std::string_view, std::string_view, std::string_view, std::string_view,
                   std::string_view) override {}
    Sender SmsSender() override {
        if (m_smsMissing) throw PluginError("no smsdll");
        return Send("SendSms");
    }
    Sender MailSender() override { return Send("SendMail"); }
    // A cancelled send ends at once, as the senders' transfers do.
    void CancelSends() override {
        m_events.Add("CancelSends");
        if (onCancel) onCancel();
    }
    std::function<void()> onCancel;

  private:
    Sender Send(std::string name) {
        return [this, name](const std::string& account, const std::string& record) {
            m_gate.wait();
            m_events.Add(name + " " + account + " " + record);
        };
    }
    Events& m_events;
    std::shared_future<void> m_gate;
    bool m_smsMissing;
};

class Dispatcher : public ::testing::Test {
  protected:
    explicit Dispatcher(bool smsMissing = false)
        : m_shell(m_events),
          m_dispatcher(m_shell, Fake(smsMissing)) {}
    ~Dispatcher() override { Open(); }

    std::unique_ptr<FakeLibraries> Fake(bool smsMissing) {
        auto fake = std::make_unique<FakeLibraries>(m_events, m_gate.get_future().share(), smsMissing);
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
        return *m_slot;
    }

    testing::TempExeDir m_dir;
    Events m_events;
    std::promise<void> m_gate;
    bool m_opened = false;
    RecordingShell m_shell;
    FakeLibraries* m_libraries = nullptr;  // owned by the dispatcher
    NotifyDispatcher m_dispatcher;
    std::unique_ptr<TConfig> m_slot;
};

TEST_F(Dispatcher, WithAllSwitchesOnTheProgramStartsThenSmsThenMailLeaveInOrder) {
    m_dispatcher.Dispatch(Slot(12, "1", "1", "1"));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_THAT(m_events.All(),
                ElementsAre("Execute /bin/prog -a \"b c\"", "ReadUserId", "ReadWindowsInfo 12",
                            "ReadWindowsInfo 12", "ReadEmail", "SendSms user record-12|",
                            "SendMail account record-12|"));
}

struct SwitchCase {
    const char* name;
    std::string other, sms, email;
    std::vector<std::string> events;
};

class DispatchSwitches : public Dispatcher, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(DispatchSwitches, EachChannelRunsOnlyWhenItsSwitchIsExactlyOne) {
    const auto& c = GetParam();
    m_dispatcher.Dispatch(Slot(3, c.other, c.sms, c.email));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_EQ(m_events.All(), c.events);
}

const std::vector<std::string> kNothing;
const std::vector<std::string> kSmsOnly = {"ReadUserId", "ReadWindowsInfo 3",
                                           "SendSms user record-3|"};

INSTANTIATE_TEST_SUITE_P(
    Switches, DispatchSwitches,
    ::testing::Values(SwitchCase{"AllOff", "0", "0", "0", kNothing},
                      SwitchCase{"AllEmpty", "", "", "", kNothing},
                      SwitchCase{"BlankBefore", " 1", " 1", " 1", kNothing},
                      SwitchCase{"BlankAfter", "1 ", "1 ", "1 ", kNothing},
                      SwitchCase{"LeadingZero", "01", "01", "01", kNothing},
                      SwitchCase{"AWord", "on", "true", "yes", kNothing},
                      SwitchCase{"SmsAlone", "0", "1", "0", kSmsOnly},
                      SwitchCase{"ProgramAlone", "1", "", "", {"Execute /bin/prog -a \"b c\""}},
                      SwitchCase{"MailAlone",
                                 "",
                                 "",
                                 "1",
                                 {"ReadWindowsInfo 3", "ReadEmail", "SendMail account record-3|"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dispatcher, TestSendsHandTheTestRecordOverUnchanged) {
    m_dispatcher.SendSMSToTest("1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||");
    m_dispatcher.SendEmailTest("1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||");
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_THAT(
        m_events.All(),
        ElementsAre("ReadUserId", "ReadEmail", "SendSms user 1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||",
                    "SendMail account 1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||"));
}

TEST_F(Dispatcher, TheCallerNeverWaitsForASend) {
    m_dispatcher.SendEmailNotice("1");
    m_dispatcher.SendSMSNotice("2");
    // Both calls returned while the sends are held.
    EXPECT_FALSE(m_dispatcher.WaitUntilIdle(20ms));
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    auto events = m_events.All();
    EXPECT_EQ(events.end()[-2], "SendMail account record-1|");
    EXPECT_EQ(events.end()[-1], "SendSms user record-2|");
}

TEST_F(Dispatcher, ShutdownFinishesWhatIsQueuedThenRefusesWithALoggedFailure) {
    for (int i = 1; i <= 3; ++i) m_dispatcher.SendSMSNotice(std::to_string(i));
    Open();
    m_dispatcher.Shutdown();
    auto events = m_events.All();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("SendSms", 0) == 0; }),
              3);
    m_dispatcher.SendEmailTest("late");
    EXPECT_EQ(m_events.All().size(), events.size() + 1);  // ReadEmail only, no send
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][?][] FAILED: 程序正在退出，通知未发送"));
}

TEST_F(Dispatcher, ShutdownGivesUpAfterItsGraceCancelsTheRunningSendAndLogsTheRest) {
    m_libraries->onCancel = [this] { Open(); };
    for (int i = 1; i <= 3; ++i) m_dispatcher.SendSMSNotice(std::to_string(i));
    EXPECT_FALSE(m_dispatcher.Shutdown(100ms));  // the first send is held until cancelled
    auto events = m_events.All();
    EXPECT_EQ(std::count(events.begin(), events.end(), "CancelSends"), 1);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("SendSms", 0) == 0; }),
              1);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    for (const auto& line : log) EXPECT_THAT(line, HasSubstr("[SMS][?][] FAILED: 程序正在退出"));
}

class DispatcherWithoutSms : public Dispatcher {
  protected:
    DispatcherWithoutSms() : Dispatcher(true) {}
};

TEST_F(DispatcherWithoutSms, AMissingPlugInIsRaisedAfterTheOtherChannelsRan) {
    EXPECT_THROW(m_dispatcher.Dispatch(Slot(5, "1", "1", "1")), PluginError);
    Open();
    ASSERT_TRUE(m_dispatcher.WaitUntilIdle(30s));
    EXPECT_THAT(m_events.All(), ElementsAre("Execute /bin/prog -a \"b c\"", "ReadWindowsInfo 5",
                                            "ReadEmail", "SendMail account record-5|"));
}

}  // namespace
}  // namespace nuvaro
