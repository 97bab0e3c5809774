#include "config/tconfig.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "config/config_table.h"
#include "core/atomic_file.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::TempExeDir;

const char* kEmptySlot3 =
    "[3]\r\nUser=\r\nurl=\r\nRefreshTime=\r\nRegx=\r\nFromMail=\r\nToMail=\r\nFromName=\r\n"
    "Subject=\r\nCharset=\r\nBody=\r\nSmsBody=\r\nMobile=\r\nContry=\r\nSmsOpen=\r\n"
    "EmailOpen=\r\nOtherOpen=\r\nOtherProgram=\r\nOtherStr=\r\nWindowName=\r\nRegGrp=\r\n"
    "all=|||||||||||||||||||\r\n";

void CopyFixture(const TempExeDir& dir) {
    std::filesystem::copy_file(std::string(NUVARO_FIXTURES) + "/windows_Config.inf",
                               dir.File("Config.inf"));
}

TEST(TConfig, FirstStartWithoutConfigInfIsEmptyAndCreatesNothing) {
    TempExeDir dir;
    TConfigTable configs;
    for (int k = 1; k <= 30; ++k) {
        EXPECT_EQ(configs[k].Index, k);
        EXPECT_EQ(configs[k].WindowName, "");
        EXPECT_EQ(configs[k].url, "");
        EXPECT_EQ(configs[k].Browser, nullptr);
    }
    EXPECT_EQ(configs[1].SectionCount(), 0);
    EXPECT_EQ(configs[1].FileName, dir.File("Config.inf"));
    EXPECT_FALSE(dir.Exists("Config.inf"));
}

TEST(TConfig, SaveAllOfAnEmptySlotWritesTwentyKeysInOrderAndTheRecord) {
    TempExeDir dir;
    TConfigTable configs;
    configs[3].SaveAll();
    EXPECT_EQ(dir.Read("Config.inf"), kEmptySlot3);
}

TEST(TConfig, PushOpenIsKeptBesideTheRecordAndOnlyOnceSet) {
    TempExeDir dir;
    TConfigTable configs;
    configs[3].SaveAll();
    EXPECT_EQ(dir.Read("Config.inf"), kEmptySlot3);  // a file without push stays as it was
    configs[3].PushOpen = "1";
    configs[3].SaveAll();
    EXPECT_EQ(dir.Read("Config.inf"), std::string(kEmptySlot3) + "PushOpen=1\r\n");
    TConfig again(3, dir.File("Config.inf"));
    EXPECT_EQ(again.PushOpen, "1");
    EXPECT_EQ(again.WindowRecord().bytes(), "|||||||||||||||||||");
}

TEST(TConfig, WindowRecordHoldsNineteenFieldsWithoutRegGrp) {
    TempExeDir dir;
    TConfig slot(2, dir.File("Config.inf"));
    slot.User = "u";
    slot.url = "http://x";
    slot.Regx = "缺货|到货";  // "|" inside a field is not escaped
    slot.RegGrp = "2";
    slot.WindowName = "库存";
    slot.SaveAll();
    EXPECT_EQ(slot.ReadKey("RegGrp"), "2");
    EXPECT_EQ(slot.ReadKey("all"), "u|http://x||缺货|到货|||||||||||||||库存|");
    EXPECT_EQ(slot.WindowRecord().bytes(),
              "u|http://x||" + G("缺货|到货") + "|||||||||||||||" + G("库存") + "|");
}

TEST(TConfig, LoadsAFileWrittenOnWindows) {
    TempExeDir dir;
    CopyFixture(dir);
    TConfigTable configs;
    EXPECT_EQ(configs[1].WindowName, "京东价格");
    EXPECT_EQ(configs[1].Regx, "价格(\\d+)");
    EXPECT_EQ(configs[1].RegGrp, "1");
    EXPECT_EQ(configs[1].OtherProgram, "C:\\Program Files\\Notify\\notify.exe");
    EXPECT_EQ(configs[1].OtherStr, "/q \"价格\"");
    EXPECT_EQ(configs[2].WindowName, "库存|监控");
    EXPECT_EQ(configs[3].User, "管理员");  // keys in mixed case
    EXPECT_EQ(configs[3].url, "http://127.0.0.1:8080/news.html");
    EXPECT_EQ(configs[3].SmsOpen, "1");
    EXPECT_EQ(configs[4].WindowName, "");  // no section 4
    EXPECT_EQ(configs[5].WindowName, "第五个");
    EXPECT_EQ(configs[5].RefreshTime, "5");           // "RefreshTime = 5"
    EXPECT_EQ(configs[5].OtherStr, "\"two words\"");  // quotes are kept
    EXPECT_EQ(configs[1].SectionCount(), 5);          // "abc" counts as well
}

TEST(TConfig, OnlyTheSingleDigitOneSwitchesAChannelOn) {
    TempExeDir dir;
    CopyFixture(dir);
    TConfigTable configs;
    EXPECT_TRUE(IsOn(configs[1].SmsOpen));
    EXPECT_TRUE(IsOn(configs[2].OtherOpen));   // " 1": read without its blanks, as on Windows
    EXPECT_TRUE(IsOn(configs[5].EmailOpen));   // tabs around "1"
    EXPECT_FALSE(IsOn(configs[2].SmsOpen));    // "true"
    EXPECT_FALSE(IsOn(configs[2].EmailOpen));  // "yes"
    EXPECT_FALSE(IsOn(configs[5].SmsOpen));    // "01"
    EXPECT_FALSE(IsOn(configs[1].OtherOpen));  // "0"
}

TEST(TConfig, SavingAWindowsFileChangesOnlyTheKeysWritten) {
    TempExeDir dir;
    CopyFixture(dir);
    const std::string before = dir.Read("Config.inf");
    TConfigTable configs;
    configs[1].SaveAndReload();  // every value written back unchanged
    EXPECT_EQ(dir.Read("Config.inf"), before);
    configs[3].SaveAll();
    std::string after = dir.Read("Config.inf");
    EXPECT_NE(after.find("USER=" + G("管理员") + "\r\nUrl=http"), std::string::npos);
    EXPECT_NE(after.find("RegGrp=\r\nall=" + G("管理员") + "|http"), std::string::npos);
}

TEST(TConfig, MultiLineValuesComeBackWholeAfterSaveAndReload) {
    TempExeDir dir;
    TConfigTable configs;
    configs[1].Regx = "第一行\r\n第二行";
    configs[1].SmsBody = "a\r\nb\\c";
    configs[1].SaveAndReload();
    EXPECT_EQ(configs[1].Regx, "第一行\r\n第二行");
    EXPECT_EQ(configs[1].SmsBody, "a\r\nb\\c");
    TConfig other(1, dir.File("Config.inf"));
    EXPECT_EQ(other.Regx, "第一行\r\n第二行");
}

TEST(TConfig, ChineseTextAndTheEuroSignRoundTripThroughConfigInfAsGbk) {
    TempExeDir dir;
    TConfigTable configs;
    configs[2].WindowName = "显卡€价格";
    configs[2].Regx = "价格(\\d+)€";
    configs[2].SmsBody = "到货了\r\n第二行";
    configs[2].SaveAndReload();
    EXPECT_EQ(configs[2].WindowName, "显卡€价格");
    EXPECT_EQ(configs[2].Regx, "价格(\\d+)€");
    EXPECT_EQ(configs[2].SmsBody, "到货了\r\n第二行");
    const std::string file = dir.Read("Config.inf");
    EXPECT_NE(file.find("WindowName=" + G("显卡") + "\x80" + G("价格") + "\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("Regx=" + G("价格(\\d+)") + "\x80\r\n"), std::string::npos);
    TConfig other(2, dir.File("Config.inf"));
    EXPECT_EQ(other.WindowName, "显卡€价格");
    // Saved again unchanged, the file stays byte for byte the same.
    other.SaveAll();
    EXPECT_EQ(dir.Read("Config.inf"), file);
}

TEST(TConfig, BytesGbkCannotDecodeSurviveASaveThatDoesNotChangeThem) {
    TempExeDir dir;
    dir.Write("Config.inf", "[1]\r\nWindowName=a\xFF\x80" + G("价") + "\r\nurl=http://x\r\n");
    TConfigTable configs;
    EXPECT_EQ(configs[1].WindowName, "a?€价");
    configs[1].SaveAll();
    EXPECT_NE(dir.Read("Config.inf").find("WindowName=a\xFF\x80" + G("价") + "\r\n"),
              std::string::npos);
    configs[1].WindowName = "b";
    configs[1].SaveAll();
    EXPECT_NE(dir.Read("Config.inf").find("WindowName=b\r\n"), std::string::npos);
}

TEST(TConfig, WriteConfigKeyAppendsANewSectionAfterTheOthers) {
    TempExeDir dir;
    TConfigTable configs;
    configs[1].WriteKey("url", "a");
    configs[2].WriteKey("url", "b");
    WriteConfigKey("4", "WindowName", "新窗口");
    EXPECT_EQ(dir.Read("Config.inf"),
              "[1]\r\nurl=a\r\n[2]\r\nurl=b\r\n[4]\r\nWindowName=" + G("新窗口") + "\r\n");
    EXPECT_EQ(configs[1].SectionCount(), 3);
    EXPECT_EQ(configs[4].WindowName, "");  // no slot in memory is touched
    EXPECT_EQ(configs[4].ReadKey("WindowName"), "新窗口");
}

TEST(TConfig, ARefusedSaveLeavesTheWholeSlotAsItWasAndSkipsTheReload) {
    TempExeDir dir;
    TConfigTable configs;
    TConfig& slot = configs[1];
    slot.User = "old";
    slot.SaveAll();
    const std::string before = dir.Read("Config.inf");
    slot.User = "user";
    slot.url = "http://x";
    slot.Body = std::string(20000, 'b');  // the slot no longer fits on the "disk"

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 8192;
    setrlimit(RLIMIT_FSIZE, &small);
    try {
        slot.SaveAndReload();
        ADD_FAILURE() << "save accepted";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.File("Config.inf"));
    }
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(dir.Read("Config.inf"), before);  // no key of the new save
    EXPECT_EQ(slot.Body.size(), 20000u);        // memory was not reloaded
}

TEST(TConfigTable, FindsSlotsByTheirNumberText) {
    TempExeDir dir;
    TConfigTable configs;
    EXPECT_EQ(configs.BySlotText("12").Index, 12);
    EXPECT_EQ(configs.BySlotText("30").Index, 30);
    EXPECT_THROW(configs.BySlotText("31"), std::out_of_range);
    EXPECT_THROW(configs.BySlotText("x"), std::out_of_range);
}

// The condition's further keys come after the twenty and only once set; cleared, they stay
// there empty and read back as unset.
TEST(TConfig, ConditionKeysAreWrittenOnlyOnceSetAndReadBack) {
    TempExeDir dir;
    TConfig slot(3, dir.File("Config.inf"));
    slot.NumRule = "drop";
    slot.NumValue = "10%";
    slot.TextMode = "text";
    slot.Selector = "#price .now";
    slot.Ignore = "\\d+:\\d+:\\d+";
    slot.SaveAndReload();
    const std::string file = dir.Read("Config.inf");
    EXPECT_NE(file.find("RegGrp=\r\nNumRule=drop\r\nNumValue=10%\r\nTextMode=text\r\n"
                        "Selector=#price .now\r\nIgnore=\\d+:\\d+:\\d+\r\nall="),
              std::string::npos)
        << file;
    TConfig again(3, dir.File("Config.inf"));
    EXPECT_EQ(again.NumRule, "drop");
    EXPECT_EQ(again.NumValue, "10%");
    EXPECT_EQ(again.TextMode, "text");
    EXPECT_EQ(again.Selector, "#price .now");
    EXPECT_EQ(again.Ignore, "\\d+:\\d+:\\d+");
    again.NumRule.clear();
    again.Selector.clear();
    again.SaveAndReload();
    EXPECT_EQ(again.ReadKey("NumRule"), "");
    EXPECT_EQ(again.NumRule, "");
    EXPECT_EQ(again.Selector, "");
    EXPECT_EQ(again.NumValue, "10%");
}

}  // namespace
}  // namespace nuvaro
