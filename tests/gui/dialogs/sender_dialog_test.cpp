// The sender account dialog over email.inf and the real record store (RegInfo.so).
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "notify/ui/email_frm.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"

namespace nuvaro::testing {
namespace {

class SenderDialogTest : public MainFrameTest {
  protected:
    void SetUp() override {
        MainFrameTest::SetUp();
        InstallPlugins(dir);
    }
    // Opens the dialog from the main menu's handler; returns its result.
    int WithDialog(const std::function<void(TEmailFrm&)>& drive) {
        int result = -1;
        ModalDriver driver([&](wxDialog& d) {
            auto& form = dynamic_cast<TEmailFrm&>(d);
            drive(form);
            result = form.Result();
        });
        frame->MailAccountClick();
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(ModalDriver::ModalOpen());
        return result;
    }
    void Fill(TEmailFrm& d, const char* smtp, const char* port, const char* user,
              const char* password) {
        d.SmtpEdit->SetValue(smtp);
        d.PortEdit->SetValue(port);
        d.UserEdit->SetValue(user);
        d.PasswordEdit->SetValue(password);
    }
    std::string Email(const char* key) const {
        return IniFile(dir.File("email.inf")).ReadString("email", key);
    }
};

TEST_F(SenderDialogTest, WithoutEmailInfTheFieldsAreEmptyAndOkAsksBeforeStoringNoServer) {
    StartFrame();
    notices->answers = {Notices::Answer::No, Notices::Answer::Yes};
    int result = WithDialog([&](TEmailFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "邮件发件人设置");
        EXPECT_EQ(d.GetClientSize(), wxSize(477, 250));
        EXPECT_TRUE(d.PasswordEdit->HasFlag(wxTE_PASSWORD));
        for (auto* edit : {d.SmtpEdit, d.PortEdit, d.UserEdit, d.PasswordEdit}) {
            EXPECT_TRUE(edit->GetValue().empty());
        }
        EXPECT_EQ(d.ProviderBox->GetStringSelection().utf8_string(), "自定义");
        EXPECT_EQ(d.SecurityBox->GetSelection(), 0);
        Click(d.OkButton);  // "no": the dialog stays, nothing is stored
        EXPECT_TRUE(d.IsModal());
        EXPECT_FALSE(dir.Exists("email.inf"));
        Click(d.OkButton);  // "yes"
    });
    EXPECT_EQ(result, wxID_OK);
    ASSERT_TRUE(dir.Exists("email.inf"));
    EXPECT_EQ(dir.Read("email.inf"), "[email]\r\nSmtp=\r\nUserName=\r\nPassword=\r\nSmtpPort=\r\n");
    ASSERT_EQ(notices->shown.size(), 2u);
    for (const auto& box : notices->shown) {
        EXPECT_EQ(box.caption, "邮件发件人设置");
        EXPECT_EQ(box.buttons, Notices::Buttons::YesNo);
        EXPECT_NE(box.text.find("没有填写 SMTP 地址"), std::string::npos) << box.text;
    }
}

// Choosing a service fills in its server, port and security and says what the password is;
// "自定义" leaves what is typed. The choice is stored in a key of its own.
TEST_F(SenderDialogTest, AServiceFillsServerPortAndSecurityAndTheChoiceIsStored) {
    StartFrame();
    auto choose = [](TEmailFrm& d, const char* name) {
        ASSERT_NE(d.ProviderBox->FindString(wxString::FromUTF8(name)), wxNOT_FOUND) << name;
        d.ProviderBox->SetStringSelection(wxString::FromUTF8(name));
        d.ProviderClick();
    };
    WithDialog([&](TEmailFrm& d) {
        choose(d, "Gmail");
        EXPECT_EQ(d.SmtpEdit->GetValue(), "smtp.gmail.com");
        EXPECT_EQ(d.PortEdit->GetValue(), "587");
        EXPECT_EQ(d.SecurityBox->GetStringSelection(), "STARTTLS");
        choose(d, "QQ邮箱");
        EXPECT_EQ(d.SmtpEdit->GetValue(), "smtp.qq.com");
        EXPECT_EQ(d.PortEdit->GetValue(), "465");
        EXPECT_EQ(d.SecurityBox->GetStringSelection(), "SSL");
        EXPECT_NE(d.ProviderNote->GetLabelText().utf8_string().find("授权码"), std::string::npos);
        d.PortEdit->SetValue("587");
        choose(d, "自定义");  // keeps what the user changed
        EXPECT_EQ(d.SmtpEdit->GetValue(), "smtp.qq.com");
        EXPECT_EQ(d.PortEdit->GetValue(), "587");
        d.PortEdit->SetValue("465");
        d.UserEdit->SetValue("me@qq.com");
        d.PasswordEdit->SetValue("abcdefghijklmnop");
        Click(d.OkButton);
    });
    EXPECT_EQ(dir.Read("email.inf"),
              "[email]\r\nSmtp=smtp.qq.com\r\nUserName=me@qq.com\r\nPassword=abcdefghijklmnop\r\n"
              "SmtpPort=465\r\nSecurity=SSL\r\n");
    EXPECT_TRUE(notices->shown.empty());
    WithDialog([&](TEmailFrm& d) {
        EXPECT_EQ(d.ProviderBox->GetStringSelection().utf8_string(), "QQ邮箱");
        EXPECT_EQ(d.SecurityBox->GetStringSelection(), "SSL");
        d.SecurityBox->SetSelection(0);  // back to "the port decides": the key is emptied
        Click(d.OkButton);
    });
    EXPECT_EQ(Email("Security"), "");
    EXPECT_EQ(Email("Smtp"), "smtp.qq.com");
}

// The test mail goes to the account itself, with the account as the dialog shows it, through
// the mail plug-in to a server on this machine; its answer is one line in the dialog.
TEST_F(SenderDialogTest, TheTestMailReachesTheServerAndItsAnswerIsShown) {
    SmtpTestServer server;
    SmtpTestServer refusing(SmtpTestServer::Mode::RejectRecipient);
    dir.Write("email.inf", "[email]\r\nSmtp=saved.example.com\r\nTimeout=10\r\n");
    StartFrame();
    WithDialog([&](TEmailFrm& d) {
        Fill(d, "127.0.0.1", std::to_string(server.Port()).c_str(), "me@example.com", "");
        Click(d.TestButton);
        EXPECT_FALSE(d.TestButton->IsEnabled());
        EXPECT_TRUE(PumpUntil([&] { return d.TestButton->IsEnabled(); }, 30000));
        const std::string shown = d.TestOutcome->GetLabelText().utf8_string();
        EXPECT_EQ(shown.rfind("测试邮件已发出：250", 0), 0u) << shown;
        EXPECT_EQ(shown.find('\n'), std::string::npos);

        d.PortEdit->SetValue(std::to_string(refusing.Port()));
        Click(d.TestButton);
        EXPECT_TRUE(PumpUntil([&] { return d.TestButton->IsEnabled(); }, 30000));
        const std::string refused = d.TestOutcome->GetLabelText().utf8_string();
        EXPECT_EQ(refused.rfind("测试邮件发送失败：", 0), 0u) << refused;
        EXPECT_NE(refused.find("55"), std::string::npos) << refused;

        d.SmtpEdit->SetValue("");
        Click(d.TestButton);
        Click(d.CancelButton);
    });
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages()[0].rcpt, "me@example.com");
    EXPECT_EQ(server.Messages()[0].mailFrom, "me@example.com");
    EXPECT_NE(server.Messages()[0].body.find("发件帐户设置正确"), std::string::npos);
    auto log = WaitForSendLog(dir, 2);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("[EMAIL][test][me@example.com][try 1] OK"), std::string::npos) << log[0];
    EXPECT_EQ(Email("Smtp"), "saved.example.com");  // a test stores nothing
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "请先填写 SMTP 地址");
}

TEST_F(SenderDialogTest, OkHandsTheAccountToTheStoreAndReopeningShowsIt) {
    StartFrame();
    WithDialog([&](TEmailFrm& d) {
        Fill(d, "smtp.example.com", "465", "me@example.com", "s3cret|%");
        Click(d.OkButton);
    });
    EXPECT_EQ(Email("Smtp"), "smtp.example.com");
    EXPECT_EQ(Email("SmtpPort"), "465");
    EXPECT_EQ(Email("UserName"), "me@example.com");
    EXPECT_EQ(Email("Password"), "s3cret|%");
    struct stat st {};
    ASSERT_EQ(stat(dir.File("email.inf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    WithDialog([&](TEmailFrm& d) {
        EXPECT_EQ(d.SmtpEdit->GetValue(), "smtp.example.com");
        EXPECT_EQ(d.PasswordEdit->GetValue(), "s3cret|%");
        Click(d.CancelButton);
    });
}

struct BuiltInCase {
    const char* name;
    const char* user;
    const char* password;
    bool stored;
};

class BuiltInAccountRule : public SenderDialogTest,
                           public ::testing::WithParamInterface<BuiltInCase> {};

TEST_P(BuiltInAccountRule, TheBuiltInAddressIsStoredOnlyWithItsOwnPassword) {
    const BuiltInCase c = GetParam();
    dir.Write("email.inf", "[email]\r\nSmtp=kept\r\nUserName=old@example.com\r\n");
    StartFrame();
    int result = WithDialog([&](TEmailFrm& d) {
        Fill(d, "smtp.example.com", "25", c.user, c.password);
        Click(d.OkButton);
    });
    EXPECT_EQ(result, c.stored ? wxID_OK : wxID_CANCEL);
    EXPECT_EQ(Email("UserName"), c.stored ? c.user : "old@example.com");
    EXPECT_EQ(Email("Smtp"), c.stored ? "smtp.example.com" : "kept");
    EXPECT_TRUE(notices->shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuiltInAccountRule,
    ::testing::Values(BuiltInCase{"ItsOwnPassword", kBuiltInSender, "507342kd", true},
                      BuiltInCase{"PasswordInOtherCase", kBuiltInSender, "507342KD", false},
                      BuiltInCase{"EmptyPassword", kBuiltInSender, "", false},
                      BuiltInCase{"AddressInOtherCase", "NOTICE@NUVARO.INVALID", "anything", true},
                      BuiltInCase{"AnotherAccount", "me@example.com", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SenderDialogTest, CancelHandsNothingOver) {
    dir.Write("email.inf", "[email]\r\nSmtp=kept\r\n");
    StartFrame();
    int result = WithDialog([&](TEmailFrm& d) {
        Fill(d, "other", "1", "u", "p");
        Click(d.CancelButton);
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(dir.Read("email.inf"), "[email]\r\nSmtp=kept\r\n");
}

TEST_F(SenderDialogTest, AStoreThatCannotWriteIsShownAndTheDialogKeepsTheTypedAccount) {
    dir.Write("email.inf", "[email]\r\nSmtp=kept\r\n");
    chmod(dir.File("email.inf").c_str(), 0444);
    StartFrame();
    WithDialog([&](TEmailFrm& d) {
        Fill(d, "new.example.com", "25", "me@example.com", "pw");
        Click(d.OkButton);
        EXPECT_TRUE(d.IsModal());  // still open, nothing typed is lost
        EXPECT_EQ(d.SmtpEdit->GetValue(), "new.example.com");
        Click(d.CancelButton);
    });
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "Unable to write to " + dir.File("email.inf"));
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Error);
    EXPECT_EQ(dir.Read("email.inf"), "[email]\r\nSmtp=kept\r\n");
}

TEST_F(SenderDialogTest, AMissingRecordStoreIsAClearError) {
    std::filesystem::remove(dir.File("RegInfo.so"));
    StartFrame();
    WithDialog([&](TEmailFrm& d) {
        Fill(d, "smtp.example.com", "25", "me@example.com", "pw");
        Click(d.OkButton);
        Click(d.CancelButton);
    });
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_NE(notices->shown[0].text.find("RegInfo.so"), std::string::npos);
}

}  // namespace
}  // namespace nuvaro::testing
