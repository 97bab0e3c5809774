// State files read as hostile, and a notice told once: an outbox.inf and a runstate.inf that
// someone edited or damaged, resumed with the real plug-ins against a real SMTP server on
// 127.0.0.1; the outbox and the run state set right after a kill between their writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/sha256.h"
#include "monitor/run_state.h"
#include "notify/dispatch_fixture.h"
#include "notify/outbox.h"
#include "notify/outbox_reconcile.h"
#include "notify/send_log.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;

std::string ErrorLog(const testing::TempExeDir& dir) {
    return dir.Exists("Log/errorlog.txt") ? ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")))
                                          : std::string();
}

size_t Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

class HostileOutbox : public DispatchEndToEnd {
  protected:
    // One mail entry of window 4 to `recipient` (the file's own bytes) and `extra` lines.
    std::string MailEntry(const std::string& key, const std::string& recipient,
                          const std::string& extra = "") {
        return "[" + key + "]\r\nChannel=EMAIL\r\nSlot=4\r\nRecipient=" + recipient +
               "\r\nRecord=" + m_record + "\r\nId=" + key + "\r\n" + extra;
    }
    std::string m_record;
};

// A recipient with an escaped CR LF would put a second RCPT TO on the wire, one with a NUL
// would go to a shortened address; huge numbers would overflow; junk and unknown channels
// would vanish without a word.
TEST_F(HostileOutbox, ControlCharactersHugeCountsAndJunkSendNothingExtraAndAreLogged) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    TConfig& slot = Window(4);
    slot.OtherOpen = slot.SmsOpen = "0";
    slot.SaveAll();
    m_record =
        IniFile(m_dir.File("Config.inf")).Load().ReadGbk("4", "all").value_or(GbkText()).bytes();
    const std::string nul("watcher@example.com\0.evil.example", 33);
    m_dir.Write(Outbox::kFileName,
                MailEntry("good", "watcher@example.com", "Attempt=2147483647\r\nTrying=1\r\n") +
                    MailEntry("crlf", "~ML~watcher@example.com>\\r\\nRCPT TO:<evil@example.com") +
                    MailEntry("nul", nul) +
                    MailEntry("huge", "watcher@example.com",
                              "Raised=99999999999999999999\r\nDue=-9223372036854775808\r\n"
                              "Folded=2147483647\r\n") +
                    "[fax]\r\nChannel=FAX\r\nRecipient=x\r\n" + "this is no line of ours\r\n" +
                    std::string(5000, 'j') + "\r\n");

    NotifyDispatcher& dispatcher =
        Dispatcher(QuickRetries(), std::make_unique<Outbox>(m_dir.File(Outbox::kFileName)));
    const std::string dropped = ErrorLog(m_dir);
    EXPECT_EQ(Lines(dropped), 1u) << dropped;  // one line for the whole file
    EXPECT_THAT(dropped, HasSubstr("outbox.inf 中有无法读取的内容"));
    EXPECT_THAT(dropped, HasSubstr("[fax] Channel=FAX"));
    EXPECT_THAT(dropped, HasSubstr("this is no line of ours"));
    EXPECT_THAT(dropped, HasSubstr("Attempt=2147483647"));
    EXPECT_LT(dropped.size(), 2000u);  // the junk line is cut

    EXPECT_EQ(dispatcher.ResumeOutbox(), 4u);
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_TRUE(mail.WaitForMessages(2));
    const auto messages = mail.Messages();
    ASSERT_EQ(messages.size(), 2u);  // "good" and "huge"
    for (const auto& m : messages) EXPECT_EQ(m.rcpt, "watcher@example.com");
    EXPECT_EQ(LogWith("[try 2] OK").size(), 1u);  // "good": its try under way counted once more
    const std::string errors = ErrorLog(m_dir).substr(dropped.size());
    EXPECT_EQ(Lines(errors), 2u) << errors;
    // The recipient as stored, escaped, then the refusal as one readable line of its own.
    EXPECT_THAT(errors, HasSubstr("EMAIL watcher@example.com>\\r\\nRCPT TO:<evil@example.com："));
    EXPECT_THAT(errors, HasSubstr("收件人含有控制字符，不予发送：watcher@example.com>\r\n"));
    EXPECT_THAT(errors, HasSubstr("EMAIL watcher@example.com\\x00.evil.example："));
    EXPECT_THAT(errors, HasSubstr("收件人含有控制字符，不予发送：watcher@example.com .evil"));
    EXPECT_EQ(dispatcher.KeptIn()->Count(), 0u);
}

TEST(HostileRunState, JunkUnknownSectionsAndHugeNumbersAreDroppedAndLoggedOnce) {
    testing::TempExeDir dir;
    dir.Write(RunState::kFileName,
              "[Start]\r\nResume=1\r\n[2]\r\nMonitoring=1\r\nLastMatch=abc\r\n"
              "LastMatchBytes=99999999999999999999\r\nLastMatchSha256=" +
                  std::string(64, 'a') + "\r\nNotifiedAt=-5\r\n[31]\r\nMonitoring=1\r\n" +
                  "garbage\x01line\r\n[ 7 x]\r\n");
    RunState state(dir.File(RunState::kFileName));
    EXPECT_TRUE(state.WasMonitoring(2));
    EXPECT_TRUE(state.LastMatch(2).Whole());  // the count unreadable: the text is taken whole
    EXPECT_EQ(state.LastMatch(2).text, GbkText::FromBytes("abc"));
    EXPECT_EQ(state.NotifiedAt(2), 0);
    const std::string errors = ErrorLog(dir);
    EXPECT_EQ(Lines(errors), 1u) << errors;
    EXPECT_THAT(errors, HasSubstr("runstate.inf 中有无法读取的内容，已丢弃 5"));
    EXPECT_THAT(errors, HasSubstr("[31]"));
    EXPECT_THAT(errors, HasSubstr("garbage\\x01line"));

    dir.Write(RunState::kFileName, std::string(RunState::kMaxFileBytes + 1, '\n'));
    RunState huge(dir.File(RunState::kFileName));
    EXPECT_FALSE(huge.WasMonitoring(2));
    EXPECT_THAT(ErrorLog(dir), HasSubstr("文件过大，整个丢弃"));
}

// A change's entries were written, then the program was killed before the window's text was
// saved: the start takes the change's text as notified, so its next tick is a repeat.
class Reconcile : public ::testing::Test {
  protected:
    OutboxEntry Change(const std::string& key, int slot, const std::string& found, int64_t at) {
        OutboxEntry e;
        e.key = key;
        e.channel = kEmailChannel;
        e.slot = e.facts.slot = std::to_string(slot);
        e.recipient = GbkText::FromBytes("a@example.com");
        e.facts.found = GbkText::FromBytes(found);
        e.foundBytes = static_cast<int64_t>(found.size());
        e.foundDigest = Sha256Hex(found);
        e.notifiedAt = at;
        return e;
    }
    Verdict Next(RunState& state, int slot, const std::string& found) {
        const GbkText text = GbkText::FromBytes(found);
        return JudgeWithSaved(text, state.LastMatch(slot).text, state.LastMatch(slot));
    }
    testing::TempExeDir dir;
    Outbox outbox{dir.File(Outbox::kFileName)};
    RunState state{dir.File(RunState::kFileName)};
};

TEST_F(Reconcile, TheNewestChangeNotifiedAfterTheSavedTextBecomesTheSavedText) {
    state.SetLastMatch(3, GbkText::FromBytes("old"));
    const int64_t saved = state.NotifiedAt(3);
    outbox.Add({Change("n1-1", 3, "older", saved - 10), Change("n2-1", 3, "price 5", saved + 5),
                Change("n3-1", 3, "price 6", saved + 9), Change("n4-1", 8, "stock", 1)});
    OutboxEntry health = Change("n5-1", 9, "failing", saved + 20);
    health.facts.kind = kNoticeFailing;
    outbox.Add({health});

    EXPECT_EQ(ReconcileNotified(outbox, state), 2);
    RunState again(dir.File(RunState::kFileName));
    EXPECT_EQ(again.LastMatch(3).text, GbkText::FromBytes("price 6"));
    EXPECT_EQ(Next(again, 3, "price 6"), Verdict::Repeat);
    EXPECT_EQ(Next(again, 8, "stock"), Verdict::Repeat);
    EXPECT_EQ(again.LastMatch(9).size, 0u);          // a notice of its own kind notifies no text
    EXPECT_EQ(ReconcileNotified(outbox, again), 0);  // settled: nothing newer any more
}

// A cut found text is known by its length and digest.
TEST_F(Reconcile, AHugeChangeIsKeptByItsLengthAndDigest) {
    const std::string huge(3 * 1024 * 1024, 'x');
    OutboxEntry e = Change("n1-1", 4, huge, 1000);
    e.facts.found = GbkText::FromBytes(huge.substr(0, 4000) + "...");
    outbox.Add({e});
    EXPECT_EQ(ReconcileNotified(outbox, state), 1);
    RunState again(dir.File(RunState::kFileName));
    EXPECT_EQ(Next(again, 4, huge), Verdict::Repeat);
    EXPECT_EQ(Next(again, 4, huge.substr(1) + "y"), Verdict::Change);
}

// A slot cleared since (its window closed) is newer than the notices it still sends.
TEST_F(Reconcile, AClearedSlotTakesNoOlderChangeBack) {
    outbox.Add({Change("n1-1", 5, "price 5", 1000)});
    state.ClearLastMatch(5);
    EXPECT_EQ(ReconcileNotified(outbox, state), 0);
    EXPECT_EQ(RunState(dir.File(RunState::kFileName)).LastMatch(5).size, 0u);
}

}  // namespace
}  // namespace nuvaro
