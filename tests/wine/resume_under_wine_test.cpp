// nuvaro.exe under Wine started on a folder it left monitoring, with a notice waiting in its
// outbox and a real SMTP server on 127.0.0.1: the notice arrives once, the windows monitor again,
// their failing ticks (Wine has no page engine) are told once each in boxes that do not lie on
// each other, and a watch that stays blind sends its "监控异常" notice.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <set>
#include <sstream>

#include "config/tconfig.h"
#include "core/gbk_text.h"
#include "core/ini_file.h"
#include "core/notice_texts.h"
#include "core/texts.h"
#include "monitor/run_state.h"
#include "notify/outbox.h"
#include "notify/send_log.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"
#include "wine/windows_program.h"

namespace nuvaro {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

constexpr const char* kNoticeId = "1796000000.0123456789abcdef";

class ResumeUnderWine : public testing::WindowsProgram {
  protected:
    // Slots 1 to 3 monitor every minute; slot 2 notifies by mail.
    void Windows(int port) {
        m_dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(port) +
                                     "\r\nTimeout=20\r\nConnectTimeout=20\r\n");
        m_dir.Write("config.ini", "[Health]\r\nFailTicks=1\r\nFailMinutes=0\r\n");
        RunState state(m_dir.File(RunState::kFileName));
        for (int slot = 1; slot <= 3; ++slot) {
            TConfig config(slot, m_dir.File("Config.inf"));
            config.WindowName = "显卡 " + std::to_string(slot);
            config.url = "http://127.0.0.1:" + std::to_string(port) + "/item";
            config.Regx = "到货";
            config.RefreshTime = "1";
            config.ToMail = "watcher@example.com";
            config.Subject = "Nuvaro提醒邮件";
            config.Body = "有货了";
            config.SmsOpen = config.OtherOpen = "0";
            config.EmailOpen = slot == 2 ? "1" : "0";
            config.SaveAll();
            state.SetMonitoring(slot, true);
        }
    }

    // A mail of slot 2 that the last run could not deliver.
    void Waiting() {
        OutboxEntry e;
        e.key = std::string(kNoticeId) + "-1";
        e.channel = std::string(kEmailChannel);
        e.slot = "2";
        e.windowName = ToGbk("显卡 2");
        e.recipient = ToGbk("watcher@example.com");
        e.record = IniFile(m_dir.File("Config.inf")).Load().ReadGbk("2", "all").value();
        e.facts = {ToGbk("到货"),
                   ToGbk("显卡 2"),
                   ToGbk("http://127.0.0.1/item"),
                   "2026-12-7 9:05:03",
                   "2",
                   GbkText{},
                   kNoticeId};
        e.raised = e.due = std::time(nullptr);
        Outbox(m_dir.File(Outbox::kFileName)).Add({e});
    }

    static std::string Received(const testing::SmtpTestServer& mail) {
        std::string all;
        for (const auto& m : mail.Messages()) all += m.messageId + " " + m.subject + "\n";
        return all;
    }

    size_t MailsWith(const testing::SmtpTestServer& mail, const std::string& id) {
        size_t n = 0;
        for (const auto& m : mail.Messages()) n += m.messageId.rfind("<" + id + "@", 0) == 0;
        return n;
    }
};

TEST_F(ResumeUnderWine, DeliversTheWaitingMailOnceMonitorsAgainAndCascadesTheBoxes) {
    testing::SmtpTestServer mail;
    Windows(mail.Port());
    Waiting();
    m_first = testing::StartWine(m_dir.path(), "nuvaro.exe", {});
    auto told = [&] { return m_dir.Read("Log/sendlog.txt") + Received(mail); };

    // The waiting notice, tried within a minute of the start, once.
    ASSERT_TRUE(testing::WaitFor([&] { return MailsWith(mail, kNoticeId) == 1; }, 180s)) << told();
    ASSERT_TRUE(testing::WaitFor(
        [&] { return Outbox(m_dir.File(Outbox::kFileName)).Entries().empty(); }, 60s));

    // Every window monitors again; each failing tick shows its own box, cascaded.
    std::set<std::string> places, titles;
    ASSERT_TRUE(testing::WaitFor(
        [&] {
            testing::WineRun run = Probe({"places", text::kBoxCaptionPrefix, "5"});
            places.clear();
            titles.clear();
            std::istringstream lines(run.output);
            for (std::string line; std::getline(lines, line);) {
                auto blank = line.find(' ');
                if (line.rfind("at=", 0) != 0 || blank == std::string::npos) continue;
                places.insert(line.substr(0, blank));
                titles.insert(line.substr(blank + 1));
            }
            return titles.size() == 3;
        },
        240s))
        << "windows with boxes: " << titles.size();
    EXPECT_EQ(places.size(), 3u) << "boxes lie exactly on each other";
    // Each window, its page opened again, says why it fails (the error log is GBK).
    std::istringstream errors(m_dir.Read("Log/errorlog.txt"));
    std::set<std::string> blind;
    for (std::string line; std::getline(errors, line);) {
        if (line.find(testing::G(text::kNoPageEngineReason)) != std::string::npos) {
            blind.insert(line);
        }
    }
    EXPECT_THAT(blind, ::testing::Contains(HasSubstr(testing::G("[1][显卡 1]"))));
    EXPECT_THAT(blind, ::testing::Contains(HasSubstr(testing::G("[2][显卡 2]"))));
    EXPECT_THAT(blind, ::testing::Contains(HasSubstr(testing::G("[3][显卡 3]"))));

    // Blind since its first tick: slot 2, the one window that mails, tells it, once.
    const std::string failing = std::string(text::kHealthFailingTitle) + "：显卡 2";
    auto healthMails = [&] {
        size_t n = 0;
        for (const auto& m : mail.Messages()) {
            n += m.subject.find(text::kHealthFailingTitle) != std::string::npos;
        }
        return n;
    };
    ASSERT_TRUE(testing::WaitFor([&] { return healthMails() > 0; }, 180s)) << told();
    ASSERT_TRUE(testing::WaitFor(
        [&] { return Outbox(m_dir.File(Outbox::kFileName)).Entries().empty(); }, 60s));
    EXPECT_EQ(healthMails(), 1u) << told();
    EXPECT_THAT(Received(mail), HasSubstr(failing));
    EXPECT_EQ(MailsWith(mail, kNoticeId), 1u) << "the waiting mail came again\n" << told();
}

}  // namespace
}  // namespace nuvaro
