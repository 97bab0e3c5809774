#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/tconfig.h"
#include "notify/account_text.h"
#include "notify/plugin_contract.h"
#include "notify/plugin_loader.h"
#include "support/notify_helpers.h"

namespace nuvaro {
namespace {

using testing::G;

class RecordStore : public ::testing::Test {
  protected:
    void SetUp() override { testing::InstallPlugins(m_dir); }

    int Save(const std::string& smtp, const std::string& user, const std::string& password,
             const std::string& port) {
        return PluginFunctionAs<SaveEmailFn>(plugin::kRegInfo, "SaveEmail")(
            smtp.c_str(), user.c_str(), password.c_str(), port.c_str(), "1");
    }
    std::string ReadEmail() {
        return PluginFunctionAs<ReadEmailFn>(plugin::kRegInfo, "ReadEmail")();
    }
    mode_t Mode(const std::string& name) {
        struct stat st {};
        stat(m_dir.File(name).c_str(), &st);
        return st.st_mode & 0777;
    }

    testing::TempExeDir m_dir;
};

TEST_F(RecordStore, SaveEmailWritesGbkCrLfOwnerOnlyAndReadEmailGivesItBack) {
    const std::string password = G("p|a%s=s;w\"d 密码");
    EXPECT_EQ(Save("smtp.example.com", G("发件人@example.com"), password, "465"), 1);
    EXPECT_EQ(m_dir.Read("email.inf"),
              "[email]\r\nSmtp=smtp.example.com\r\nUserName=" + G("发件人@example.com") +
                  "\r\nPassword=" + password + "\r\nSmtpPort=465\r\n");
    EXPECT_EQ(Mode("email.inf"), 0600u);
    auto account = DecodeMailAccount(ReadEmail());
    ASSERT_TRUE(account);
    EXPECT_EQ(account->smtp, "smtp.example.com");
    EXPECT_EQ(account->port, "465");
    EXPECT_EQ(account->user, G("发件人@example.com"));
    EXPECT_EQ(account->password, password);
}

TEST_F(RecordStore, SavingAgainKeepsOtherKeysAndClosesAReadableFile) {
    m_dir.Write("email.inf", "[email]\r\nSmtp=old\r\nTimeout=5\r\n");
    chmod(m_dir.File("email.inf").c_str(), 0644);
    Save("new", "u", "p", "25");
    EXPECT_EQ(m_dir.Read("email.inf"),
              "[email]\r\nSmtp=new\r\nTimeout=5\r\nUserName=u\r\nPassword=p\r\nSmtpPort=25\r\n");
    EXPECT_EQ(Mode("email.inf"), 0600u);
}

TEST_F(RecordStore, TheSecurityChoiceHasAKeyOfItsOwnAndAFileWithoutItStaysAsItWas) {
    auto saveSecurity =
        PluginFunctionAs<SaveEmailSecurityFn>(plugin::kRegInfo, "SaveEmailSecurity");
    Save("smtp.qq.com", "me@qq.com", "code", "465");
    const std::string before = m_dir.Read("email.inf");
    EXPECT_EQ(saveSecurity(""), 1);
    EXPECT_EQ(m_dir.Read("email.inf"), before);  // no key for "the port decides"
    EXPECT_EQ(ReadEmail(), EncodeMailAccount({"smtp.qq.com", "465", "me@qq.com", "code"}));

    EXPECT_EQ(saveSecurity("SSL"), 1);
    EXPECT_EQ(m_dir.Read("email.inf"), before + "Security=SSL\r\n");
    EXPECT_EQ(DecodeMailAccount(ReadEmail())->security, "SSL");
    Save("smtp.gmail.com", "me@gmail.com", "app", "587");  // the four keys leave it alone
    EXPECT_EQ(DecodeMailAccount(ReadEmail())->security, "SSL");
    EXPECT_EQ(saveSecurity(""), 1);  // a key that is there is emptied
    EXPECT_EQ(DecodeMailAccount(ReadEmail())->security, "");
    EXPECT_EQ(Mode("email.inf"), 0600u);
    EXPECT_EQ(saveSecurity(nullptr), 1);
}

TEST_F(RecordStore, APasswordWithALineBreakSurvivesTheFile) {
    Save("h", "u", "a\r\nb", "25");
    EXPECT_EQ(DecodeMailAccount(ReadEmail())->password, "a\r\nb");
}

TEST_F(RecordStore, ReadEmailWithoutAFileGivesAnEmptyAccount) {
    auto account = DecodeMailAccount(ReadEmail());
    ASSERT_TRUE(account);
    EXPECT_EQ(account->smtp + account->port + account->user + account->password, "");
}

TEST_F(RecordStore, ARefusedSaveReportsFailureAndLeavesTheFileAsItWas) {
    m_dir.Write("email.inf", "[email]\r\nSmtp=old\r\n");
    chmod(m_dir.File("email.inf").c_str(), 0444);  // read-only, also for root
    EXPECT_EQ(Save("h", "u", "p", "25"), 0);
    EXPECT_EQ(m_dir.Read("email.inf"), "[email]\r\nSmtp=old\r\n");
    EXPECT_EQ(Mode("email.inf"), 0400u);
}

TEST_F(RecordStore, ReadWindowsInfoGivesTheSlotsStoredRecord) {
    TConfig slot(12, m_dir.File("Config.inf"));
    slot.Regx = "缺货|到货";
    slot.ToMail = "a@b.c";
    slot.SaveAll();
    auto read = PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo");
    EXPECT_EQ(std::string(read("12")), slot.WindowRecord().bytes());
    EXPECT_EQ(std::string(read("2")), "");
    EXPECT_EQ(std::string(read(nullptr)), "");
}

TEST_F(RecordStore, ReadUserIdGivesTheSmsAccountOfSmsInf) {
    m_dir.Write("sms.inf", "[sms]\r\nAccount=nuvaro|01\r\nToken=t%k\r\n");
    auto id = DecodeSmsIdentity(PluginFunctionAs<ReadUserIdFn>(plugin::kRegInfo, "ReadUserId")());
    ASSERT_TRUE(id);
    EXPECT_EQ(id->account, "nuvaro|01");
    EXPECT_EQ(id->token, "t%k");
}

}  // namespace
}  // namespace nuvaro
