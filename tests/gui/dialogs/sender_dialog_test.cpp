// The sender account dialog over email.inf and the real record store (RegInfo.so).
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "notify/ui/email_frm.h"
#include "support/notify_helpers.h"

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

TEST_F(SenderDialogTest, WithoutEmailInfTheFieldsAreEmptyAndOkStoresEmptyTexts) {
    StartFrame();
    int result = WithDialog([&](TEmailFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "邮件发件人设置");
        EXPECT_EQ(d.GetClientSize(), wxSize(477, 130));
        EXPECT_TRUE(d.PasswordEdit->HasFlag(wxTE_PASSWORD));
        for (auto* edit : {d.SmtpEdit, d.PortEdit, d.UserEdit, d.PasswordEdit}) {
            EXPECT_TRUE(edit->GetValue().empty());
        }
        Click(d.OkButton);
    });
    EXPECT_EQ(result, wxID_OK);
    ASSERT_TRUE(dir.Exists("email.inf"));
    EXPECT_EQ(dir.Read("email.inf"), "[email]\r\nSmtp=\r\nUserName=\r\nPassword=\r\nSmtpPort=\r\n");
    EXPECT_TRUE(notices->shown.empty());
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
