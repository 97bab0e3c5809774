// The recipient and message dialog over real slots and Config.inf; its test sends go through
// the real plug-ins to an HTTP SMS gateway and an SMTP server on 127.0.0.1.
#include <gmock/gmock.h>
#include <httplib.h>
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <mutex>

#include "app/monitor_window.h"
#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "notify/notify_dispatcher.h"
#include "notify/ui/snm_set_frm.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

wxString W(const std::string& utf8) { return wxString::FromUTF8(utf8); }
std::string U(const wxTextCtrl* edit) { return edit->GetValue().utf8_string(); }

class RecipientsDialogTest : public MainFrameTest {
  protected:
    void WithDialog(int n, const std::function<void(TSNMSetFrm&)>& drive) {
        ModalDriver driver([&](wxDialog& d) { drive(dynamic_cast<TSNMSetFrm&>(d)); });
        Click(frame->Window(n)->RecipientsButton());
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(ModalDriver::ModalOpen());
    }
    void StartWithWindow(const std::string& slot2) {
        WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=甲\n" + slot2);
        StartFrame();
    }
};

struct CountryCase {
    const char* name;
    const char* stored;
    bool domestic;
    const char* shown;
};

class CountryCodeRule : public RecipientsDialogTest,
                        public ::testing::WithParamInterface<CountryCase> {};

TEST_P(CountryCodeRule, ShowChecksDomesticOnlyForExactlyPlus86) {
    const CountryCase c = GetParam();
    StartWithWindow("");
    frame->Configs()[2].Contry = c.stored;  // (a file read drops outer blanks)
    WithDialog(1, [&](TSNMSetFrm& d) {
        EXPECT_EQ(d.DomesticRadio->GetValue(), c.domestic);
        EXPECT_EQ(d.OverseasRadio->GetValue(), !c.domestic);
        EXPECT_EQ(U(d.CountryCodeEdit), c.shown);
        d.DomesticRadio->SetValue(true);
        d.DomesticClick();
        EXPECT_EQ(U(d.CountryCodeEdit), "+86");
        d.CountryCodeEdit->SetValue("+1");
        d.OverseasRadio->SetValue(true);
        d.OverseasClick();  // overseas puts the stored code back
        EXPECT_EQ(U(d.CountryCodeEdit), c.stored);
        Click(d.CancelButton);
    });
}

INSTANTIATE_TEST_SUITE_P(Stored, CountryCodeRule,
                         ::testing::Values(CountryCase{"Domestic", "+86", true, "+86"},
                                           CountryCase{"BlankBefore", " +86", false, " +86"},
                                           CountryCase{"BlankAfter", "+86 ", false, "+86 "},
                                           CountryCase{"Empty", "", false, ""},
                                           CountryCase{"HongKong", "+852", false, "+852"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecipientsDialogTest, UpperOkSavesTheMessageFieldsWholeAndLeavesTheProgramAlone) {
    StartWithWindow("ToMail=old@example.com\nSubject=旧主题\nOtherProgram=/bin/old\nOtherStr=-x\n");
    TMainFrm& f = *frame;
    f.Window(1)->NameEdit()->SetValue(W("未保存的名字"));  // typed, not saved
    std::string text;
    for (int i = 0; i < 100; ++i) text += "到货a";  // 200 characters
    WithDialog(1, [&](TSNMSetFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "设定短信和邮件接受方");
        EXPECT_EQ(d.GetClientSize(), wxSize(460, 594));
        EXPECT_EQ(U(d.MailToEdit), "old@example.com");
        EXPECT_EQ(U(d.ProgramEdit), "/bin/old");
        d.MailToEdit->SetValue("buyer@example.com");
        d.MobileEdit->SetValue("13800138000,13900139000");
        d.SmsBody->SetValue(W(text + "\n第二行"));
        d.ProgramEdit->SetValue("/bin/lost");
        Click(d.SaveNoticeButton);
    });
    const std::string stored = text + "\r\n第二行";
    TConfig& slot = f.Configs()[2];
    EXPECT_EQ(slot.ToMail, "buyer@example.com");
    EXPECT_EQ(slot.Mobile, "13800138000,13900139000");
    EXPECT_EQ(slot.Contry, "");  // the field showed the stored empty code
    EXPECT_EQ(slot.SmsBody, stored);
    EXPECT_EQ(slot.Body, stored);
    EXPECT_EQ(slot.Subject, "Nuvaro提醒邮件");
    EXPECT_EQ(slot.OtherProgram, "/bin/old");
    EXPECT_EQ(ConfigValue("2", "Body"), stored);
    EXPECT_EQ(ConfigValue("2", "Subject"), "Nuvaro提醒邮件");
    EXPECT_EQ(ConfigValue("2", "OtherProgram"), "/bin/old");
    EXPECT_EQ(LastText(), "当前窗口：甲 接受短信和邮箱帐号设置已保存！");

    WithDialog(1, [&](TSNMSetFrm& d) {  // reopened: what was saved
        EXPECT_EQ(U(d.MailToEdit), "buyer@example.com");
        EXPECT_EQ(d.SmsBody->GetValue(), W(text + "\n第二行"));
        Click(d.cancel);
    });
}

// A window never given a text is offered one; the placeholders stand beside the text and the
// preview shows what a notice would say now: the window's values, its last notified text.
TEST_F(RecipientsDialogTest, AFreshWindowGetsADefaultTextThePlaceholdersAndAPreview) {
    StartWithWindow("url=http://shop.example/item\n");
    frame->Configs()[2].LastMatch = GT("199元");
    WithDialog(1, [&](TSNMSetFrm& d) {
        EXPECT_EQ(U(d.SmsBody), "{name}：{found}（上次：{previous}）");
        EXPECT_EQ(d.Preview->GetLabelText().utf8_string(),
                  "预览：甲：〔找到的内容〕（上次：199元）");
        ASSERT_EQ(d.PlaceholderList->GetCount(), 7u);
        std::string listed;
        for (unsigned i = 0; i < d.PlaceholderList->GetCount(); ++i) {
            listed += d.PlaceholderList->GetString(i).utf8_string() + ";";
        }
        for (const char* name :
             {"{found}", "{previous}", "{name}", "{value}", "{url}", "{time}", "{slot}"}) {
            EXPECT_NE(listed.find(std::string(name) + " "), std::string::npos) << name;
        }
        d.SmsBody->SetInsertionPointEnd();
        d.PlaceholderList->SetStringSelection("{url} " + W("网页地址"));
        d.PlaceholderClick();
        EXPECT_EQ(U(d.SmsBody), "{name}：{found}（上次：{previous}）{url}");
        d.SmsBody->SetValue(W("{name}\n价格 {value}\t{slot}"));  // one line, whatever it holds
        EXPECT_EQ(d.Preview->GetLabelText().utf8_string(), "预览：甲 价格 〔数值〕 2");
        d.SmsBody->SetValue(W("{name}：{found}（上次：{previous}）{url}"));
        EXPECT_EQ(d.Preview->GetLabelText().utf8_string(),
                  "预览：甲：〔找到的内容〕（上次：199元）http://shop.example/item");
        Click(d.SaveNoticeButton);
    });
    EXPECT_EQ(frame->Configs()[2].SmsBody, "{name}：{found}（上次：{previous}）{url}");
    EXPECT_EQ(ConfigValue("2", "Body"), "{name}：{found}（上次：{previous}）{url}");
    WithDialog(1, [&](TSNMSetFrm& d) {  // a window with a text of its own keeps it
        EXPECT_EQ(U(d.SmsBody), "{name}：{found}（上次：{previous}）{url}");
        Click(d.CancelButton);
    });
}

TEST_F(RecipientsDialogTest, LowerOkSavesTheProgramOnly) {
    StartWithWindow("ToMail=a@example.com\nMobile=1\nContry=+86\nSmsBody=t\nBody=t\nSubject=s\n");
    const std::string before = ConfigValue("2", "all");
    WithDialog(1, [&](TSNMSetFrm& d) {
        d.MailToEdit->SetValue("lost@example.com");
        d.MobileEdit->SetValue("999");
        d.SmsBody->SetValue("lost");
        d.ProgramEdit->SetValue(W("/opt/提醒/notify"));
        d.ParametersEdit->SetValue(W("--to \"甲 乙\""));
        Click(d.SaveProgramButton);
    });
    TConfig& slot = frame->Configs()[2];
    EXPECT_EQ(slot.OtherProgram, "/opt/提醒/notify");
    EXPECT_EQ(slot.OtherStr, "--to \"甲 乙\"");
    EXPECT_EQ(ConfigValue("2", "OtherStr"), "--to \"甲 乙\"");
    for (const char* key : {"ToMail", "Mobile", "Contry", "SmsBody", "Body", "Subject"}) {
        EXPECT_EQ(ConfigValue("2", key), frame->Configs()[2].ReadKey(key)) << key;
    }
    EXPECT_EQ(slot.ToMail, "a@example.com");
    EXPECT_EQ(slot.Mobile, "1");
    EXPECT_EQ(slot.SmsBody, "t");
    EXPECT_EQ(slot.Subject, "s");
    EXPECT_NE(ConfigValue("2", "all"), before);
    EXPECT_EQ(LastText(), "当前窗口：甲 其它通知方式设定已保存！");
}

TEST_F(RecipientsDialogTest, BothCancelsWriteNothing) {
    StartWithWindow("ToMail=a@example.com\n");
    const std::string before = dir.Read("Config.inf");
    for (int which = 0; which < 2; ++which) {
        WithDialog(1, [&](TSNMSetFrm& d) {
            d.MailToEdit->SetValue("b@example.com");
            d.ProgramEdit->SetValue("/bin/x");
            Click(which == 0 ? d.CancelButton : d.cancel);
        });
    }
    EXPECT_EQ(dir.Read("Config.inf"), before);
    EXPECT_EQ(frame->Configs()[2].ToMail, "a@example.com");
    EXPECT_TRUE(notices->shown.empty());
}

TEST_F(RecipientsDialogTest, BrowseFillsTheProgramAndStartTestUsesTheUnsavedFields) {
    StartWithWindow("");
    notices->files = {"/usr/bin/提醒", ""};
    WithDialog(1, [&](TSNMSetFrm& d) {
        Click(d.BrowseProgramButton);
        EXPECT_EQ(U(d.ProgramEdit), "/usr/bin/提醒");
        Click(d.BrowseProgramButton);  // cancelled: the field stays
        EXPECT_EQ(U(d.ProgramEdit), "/usr/bin/提醒");
        d.ParametersEdit->SetValue("-a \"b c\" {name} [{found}]");
        Click(d.ProgramTestButton);
        Click(d.cancel);
    });
    EXPECT_EQ(notices->fileDialogs, 2);
    ASSERT_TRUE(frame->Dispatcher().WaitUntilIdle(10s));  // started on the program channel
    ASSERT_EQ(shell->calls.size(), 1u);
    EXPECT_EQ(shell->calls[0].verb, "execute");
    EXPECT_EQ(shell->calls[0].target, "/usr/bin/提醒");
    EXPECT_EQ(shell->calls[0].parameters, "-a \"b c\" 甲 []");
    EXPECT_EQ(frame->Configs()[2].OtherProgram, "");
}

TEST_F(RecipientsDialogTest, TheDefaultPagesButtonEditsSlotOneAndARefusedWriteClaimsNoSuccess) {
    StartWithWindow("");
    chmod(dir.File("Config.inf").c_str(), 0444);
    int result = 0;
    WithDialog(0, [&](TSNMSetFrm& d) {
        d.MailToEdit->SetValue("x@example.com");
        Click(d.SaveNoticeButton);
        result = d.Result();
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(frame->Configs()[1].ToMail, "x@example.com");
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "Unable to write to " + dir.File("Config.inf"));
    EXPECT_EQ(ConfigValue("1", "ToMail"), "");
}

// The test sends reach a real gateway and mail server with the dialog's unsaved fields.
TEST_F(RecipientsDialogTest, TestSendsReachTheGatewayAndTheMailServer) {
    InstallPlugins(dir);
    LocalHttpServer gateway;
    gateway.Get("/sms", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    SmtpTestServer mail;
    dir.Write("sms.inf", "[sms]\r\nGateway=" + gateway.Url("/sms") +
                             "?to={number}&text={text}\r\nTimeout=10\r\n");
    dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(mail.Port()) +
                               "\r\nTimeout=10\r\nConnectTimeout=10\r\n");
    StartWithWindow("ToMail=saved@example.com\nMobile=100\nContry=+86\nSmsBody=saved\n");
    WithDialog(1, [&](TSNMSetFrm& d) {
        d.MailToEdit->SetValue("test@example.com");
        d.MobileEdit->SetValue("13800138000");
        d.SmsBody->SetValue(W("测试一下"));
        Click(d.SmsTestButton);
        Click(d.EmailTestButton);
        Click(d.CancelButton);
    });
    ASSERT_TRUE(frame->Dispatcher().WaitUntilIdle(60s));
    auto sms = gateway.Requests();
    ASSERT_EQ(sms.size(), 1u);
    EXPECT_EQ(sms[0].Param("to"), "+8613800138000");
    EXPECT_EQ(sms[0].Param("text"), "测试一下");
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].rcpt, "test@example.com");
    EXPECT_NE(mail.Messages()[0].body.find("测试一下"), std::string::npos);
    auto log = WaitForSendLog(dir, 2);
    ASSERT_EQ(log.size(), 2u);
    for (const auto& line : log) EXPECT_NE(line.find("[test]"), std::string::npos) << line;
    EXPECT_TRUE(notices->shown.empty());
    EXPECT_EQ(frame->Configs()[2].ToMail, "saved@example.com");
}

// The exact records handed to the senders.
class RecordingLibraries : public NotifyLibraries {
  public:
    GbkText ReadWindowsInfo(std::string_view) override { return {}; }
    GbkText ReadUserId() override { return GT("id"); }
    GbkText ReadEmail() override { return GT("account"); }
    void SaveEmail(const GbkText&, const GbkText&, const GbkText&, const GbkText&,
                   const GbkText&) override {}
    Sender SmsSender() override { return Record("SendSms"); }
    Sender MailSender() override { return Record("SendMail"); }

    std::vector<std::string> Calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::string> Notices() {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }

  private:
    Sender Record(std::string name) {
        return {[](const GbkText&) { return std::vector<GbkText>{GT("r")}; },
                [this, name](const SendTry& one) {
                    std::lock_guard lock(m_mutex);
                    m_calls.push_back(name + " " + one.account.bytes() + " " + one.record.bytes());
                    m_notices.push_back(one.notice);
                    return TryResult{TryOutcome::Sent, GT("")};
                }};
    }
    std::mutex m_mutex;
    std::vector<std::string> m_calls, m_notices;
};

TEST_F(RecipientsDialogTest, TestRecordsCarryTheFieldsInTheirFixedLayout) {
    StartWithWindow("");
    auto libraries = std::make_unique<RecordingLibraries>();
    RecordingLibraries* calls = libraries.get();
    NotifyDispatcher dispatcher(*shell, std::move(libraries));
    TSNMSetFrm* d = new TSNMSetFrm(&frame->Configs()[2], dispatcher);
    d->FormShow();
    d->MailToEdit->SetValue("a");
    d->SmsBody->SetValue("t");
    d->MobileEdit->SetValue("1");
    d->DomesticRadio->SetValue(true);
    d->DomesticClick();
    d->SmsTestClick();
    d->EmailTestClick();
    d->MailToEdit->SetValue("");
    d->SmsBody->SetValue("");
    d->MobileEdit->SetValue("");
    d->CountryCodeEdit->SetValue("");
    d->SmsTestClick();
    d->Destroy();
    ASSERT_TRUE(dispatcher.WaitUntilIdle(10s));
    EXPECT_THAT(calls->Calls(), ::testing::UnorderedElementsAre(
                                    "SendSms id 1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||",
                                    "SendMail account 1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||",
                                    "SendSms id 1|2|3|4|5||7|8|utf-8||||||||||"));
    // The placeholders of a test: the window's own name and slot, nothing found.
    for (const auto& notice : calls->Notices()) {
        auto facts = DecodeNoticeFacts(notice);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->found, "");
        EXPECT_EQ(facts->name, G("甲"));
        EXPECT_EQ(facts->slot, "2");
        EXPECT_FALSE(facts->time.empty());
    }
}

}  // namespace
}  // namespace nuvaro::testing
