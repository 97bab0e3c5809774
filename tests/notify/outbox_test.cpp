// The outbox on disk, and notices that outlive the dispatcher that raised them: the real
// plug-ins, a real SMTP server on 127.0.0.1 that comes up late, a local program.
#include "notify/outbox.h"

#include <sys/stat.h>

#include <set>
#include <thread>

#include "core/gbk.h"
#include "core/ini_file.h"
#include "notify/dispatch_fixture.h"
#include "notify/mail_message.h"
#include "notify/send_log.h"
#include "support/fake_delivery_clock.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;

OutboxEntry Entry(const std::string& key, std::string_view channel) {
    OutboxEntry e;
    e.key = key;
    e.channel = std::string(channel);
    e.slot = "12";
    e.windowName = GT(" 显卡 ");
    e.recipient = GT("a@example.com");
    e.record = GT("1|2|3|4|5|a@example.com|7|8|9|第一行\r\n第二行 |\t");
    e.facts = {GT(" 价格 128|元\r\n"),        GT("显卡"),   GT("http://x/?a=1&b=2"),
               "2026-12-7 9:05:03",           "12",         GT(" 价格 127 "),
               "1796000000.0123456789abcdef", GT("1,299元")};
    e.file = GT("/opt/提醒 程序");
    e.parameters = GT("--found \"价格 128\" ");
    e.raised = 1796000000;
    e.attempt = 3;
    e.due = 1796000600;
    return e;
}

void ExpectSame(const OutboxEntry& a, const OutboxEntry& b) {
    EXPECT_EQ(a.key, b.key);
    EXPECT_EQ(a.channel, b.channel);
    EXPECT_EQ(a.slot, b.slot);
    EXPECT_EQ(a.windowName, b.windowName);
    EXPECT_EQ(a.recipient, b.recipient);
    EXPECT_EQ(a.record, b.record);
    EXPECT_EQ(EncodeNoticeFacts(a.facts), EncodeNoticeFacts(b.facts));
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.parameters, b.parameters);
    EXPECT_EQ(a.raised, b.raised);
    EXPECT_EQ(a.attempt, b.attempt);
    EXPECT_EQ(a.due, b.due);
    EXPECT_EQ(a.trying, b.trying);
}

class OutboxFile : public ::testing::Test {
  protected:
    std::string Path() const { return m_dir.File(Outbox::kFileName); }
    testing::TempExeDir m_dir;
};

TEST_F(OutboxFile, EntriesComeBackFromTheFileWithEveryByteOfTheirTexts) {
    {
        Outbox outbox(Path());
        outbox.Add({Entry("n1-1", kEmailChannel), Entry("n1-2", kProgramChannel)});
    }
    Outbox again(Path());
    auto entries = again.Entries();
    ASSERT_EQ(entries.size(), 2u);
    ExpectSame(entries[0], Entry("n1-1", kEmailChannel));
    ExpectSame(entries[1], Entry("n1-2", kProgramChannel));
    struct stat st {};
    ASSERT_EQ(stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(OutboxFile, ATryIsMarkedBeforeItAndItsOutcomeWrittenAfterIt) {
    Outbox outbox(Path());
    std::vector<size_t> counts;
    outbox.SetCountObserver([&](size_t n) { counts.push_back(n); });
    outbox.Add({Entry("n1-1", kSmsChannel)});
    DeliveryJob job;
    job.key = "n1-1";
    job.attempt = 3;
    outbox.Trying(job);
    EXPECT_TRUE(Outbox(Path()).Entries().at(0).trying);
    job.attempt = 4;
    job.due = DeliveryClock::System().Now() + std::chrono::minutes(30);
    outbox.Waiting(job);
    OutboxEntry waiting = Outbox(Path()).Entries().at(0);
    EXPECT_FALSE(waiting.trying);
    EXPECT_EQ(waiting.attempt, 4);
    EXPECT_NEAR(static_cast<double>(waiting.due), static_cast<double>(std::time(nullptr) + 1800),
                5);
    outbox.Settled(job);
    EXPECT_TRUE(Outbox(Path()).Entries().empty());
    EXPECT_EQ(counts, (std::vector<size_t>{0, 1, 0}));
}

TEST_F(OutboxFile, SectionsThatAreNoDeliveryOfOursAreLeftOut) {
    m_dir.Write(Outbox::kFileName,
                "[a]\r\nChannel=FAX\r\n[b]\r\nSlot=1\r\n[c]\r\nChannel=EMAIL\r\nAttempt=x\r\n");
    auto entries = Outbox(Path()).Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, "c");
    EXPECT_EQ(entries[0].attempt, 1);
}

TEST(NoticeIds, AreUniqueAndMakeAMessageIdOfTheirOwn) {
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i) {
        std::string id = NewNoticeId();
        EXPECT_EQ(NoticeMessageId(id, "example.com"), id + "@example.com");
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u);
    for (const char* unfit : {"", "a b", "x>\r\nBcc: y", "a@b"}) {
        EXPECT_THAT(NoticeMessageId(unfit, "example.com"), ::testing::EndsWith("@example.com"));
        EXPECT_NE(NoticeMessageId(unfit, "example.com"), std::string(unfit) + "@example.com");
    }
}

class OutboxAcrossRestarts : public DispatchEndToEnd {
  protected:
    ~OutboxAcrossRestarts() override { m_dispatcher.reset(); }  // its workers use the clock

    std::unique_ptr<Outbox> Box() { return std::make_unique<Outbox>(m_dir.File("outbox.inf")); }
    TConfig& MailOnly(int index) {
        TConfig& slot = Window(index);
        slot.OtherOpen = slot.SmsOpen = "0";
        slot.SaveAll();
        return slot;
    }

    testing::FakeDeliveryClock clock;
};

// The first try finds no server; the program ends; the server comes up; the next start sends
// the notice once, with the Message-ID it had from the start.
TEST_F(OutboxAcrossRestarts, ANoticeWaitsForItsServerAcrossARestartAndArrivesOnce) {
    const int port = testing::FreeLoopbackPort();
    MailServer(port, 5);
    DeliveryPolicy soon;
    soon.retryPauses = {1s};
    NotifyDispatcher& first = Dispatcher(soon, Box());
    first.Dispatch(MailOnly(2), GT("价格 128"));
    ASSERT_TRUE(testing::WaitFor([&] { return LogWith("[try 1] FAILED").size() == 1; }));
    ASSERT_TRUE(testing::WaitFor([&] { return Box()->Entries().at(0).attempt == 2; }));
    EXPECT_TRUE(first.Shutdown());
    EXPECT_EQ(Box()->Count(), 1u);  // kept, not dropped
    EXPECT_TRUE(LogWith("程序正在退出").empty());
    const std::string id = Box()->Entries().at(0).facts.id;

    SmtpTestServer mail(SmtpTestServer::Mode::Accept, port);
    NotifyDispatcher& second = Dispatcher(soon, Box());
    EXPECT_EQ(second.ResumeOutbox(), 1u);
    ASSERT_TRUE(mail.WaitForMessages(1));
    ASSERT_TRUE(second.WaitUntilIdle(60s));
    EXPECT_EQ(mail.Messages().size(), 1u);
    EXPECT_THAT(mail.Messages()[0].messageId, ::testing::StartsWith("<" + id + "@"));
    EXPECT_EQ(LogWith("[EMAIL][2][watcher@example.com][try 2] OK").size(), 1u);
    EXPECT_EQ(Box()->Count(), 0u);
    EXPECT_TRUE(Failed().empty());
}

// A kill during a try leaves the entry marked: the outcome is unknown, so it is sent again
// (the same Message-ID lets the mail be told apart as the same), and the log says so.
TEST_F(OutboxAcrossRestarts, ATryThatAKillCutShortIsSentAgainAndThePendingProgramStarts) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    MailOnly(5);
    OutboxEntry cut = Entry("n7-1", kEmailChannel);
    cut.slot = cut.facts.slot = "5";
    cut.record = IniFile(m_dir.File("Config.inf")).Load().ReadGbk("5", "all").value();
    cut.recipient = GT("watcher@example.com");
    cut.attempt = 2;
    cut.trying = true;
    cut.raised = std::time(nullptr) - 600;
    OutboxEntry program = Entry("n7-2", kProgramChannel);
    program.file = GT(m_recorder);
    program.parameters = GT("--shop \"two words\"");
    program.attempt = 1;
    program.raised = cut.raised;
    program.due = std::time(nullptr) - 60;
    Box()->Add({cut, program});

    NotifyDispatcher& dispatcher = Dispatcher(QuickRetries(), Box());
    EXPECT_EQ(dispatcher.ResumeOutbox(), 2u);
    ASSERT_TRUE(mail.WaitForMessages(1));
    ASSERT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    EXPECT_THAT(mail.Messages()[0].messageId, ::testing::StartsWith("<" + cut.facts.id + "@"));
    EXPECT_EQ(testing::RecordedStarts(m_dir)[0].args, (Lines{"--shop", "two words"}));
    auto lines = LogWith("[EMAIL][5][watcher@example.com]");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], HasSubstr("[try 2] FAILED: 发送途中程序已结束，不知是否已送达"));
    EXPECT_THAT(lines[1], HasSubstr("[try 3] OK"));
    EXPECT_EQ(Box()->Count(), 0u);
}

// Whatever the next try an earlier run had planned, a start tries within a minute.
TEST_F(OutboxAcrossRestarts, AResumedDeliveryIsTriedWithinAMinuteOfTheStart) {
    OutboxEntry later = Entry("n8-1", kProgramChannel);
    later.file = GT(m_recorder);
    later.parameters = GT("x");
    later.raised =
        std::chrono::duration_cast<std::chrono::seconds>(clock.WallNow().time_since_epoch())
            .count();
    later.due = later.raised + 3 * 3600;
    Box()->Add({later});
    DeliveryPolicy policy;
    policy.clock = &clock;
    NotifyDispatcher& dispatcher = Dispatcher(policy, Box());
    EXPECT_EQ(dispatcher.ResumeOutbox(), 1u);
    clock.Advance(59s);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(testing::RecordedStarts(m_dir).empty());
    clock.Advance(1s);
    EXPECT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    EXPECT_TRUE(dispatcher.WaitUntilIdle(10s));
    EXPECT_EQ(Box()->Count(), 0u);
}

TEST_F(OutboxAcrossRestarts, AFinalFailureIsWrittenToTheErrorLogAndLeavesTheOutbox) {
    SmtpTestServer mail(SmtpTestServer::Mode::RejectRecipient);
    MailServer(mail.Port());
    NotifyDispatcher& dispatcher = Dispatcher(QuickRetries(), Box());
    dispatcher.Dispatch(MailOnly(3), GT("到货"));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_EQ(Failed().size(), 1u);
    EXPECT_EQ(Box()->Count(), 0u);
    const std::string errors = ToUtf8(GbkText::FromBytes(m_dir.Read("Log/errorlog.txt")));
    EXPECT_THAT(errors, HasSubstr("[3][显卡]通知发送失败：EMAIL watcher@example.com：")) << errors;
    EXPECT_THAT(errors, HasSubstr("550"));
}

}  // namespace
}  // namespace nuvaro
