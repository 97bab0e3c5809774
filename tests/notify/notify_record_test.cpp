#include "notify/notify_record.h"

#include <gtest/gtest.h>

#include "config/tconfig.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GbkBytes;
using testing::GT;
using testing::TempExeDir;
using Kind = NotifyRecord::Kind;

TEST(TestRecords, HaveTheExactLayoutsOfTheRecipientDialog) {
    EXPECT_EQ(SmsTestRecord(GT("a"), GT("t"), GT("1"), GT("+86")),
              "1|2|3|4|5|a|7|8|utf-8|t|1|+86|||||||");
    EXPECT_EQ(EmailTestRecord(GT("a"), GT("t"), GT("1"), GT("+86")),
              "1|2|3|4|5|a|7|| utf-8|t|1|+86|||||||");
}

TEST(TestRecords, EmptyFieldsStillGiveEighteenFields) {
    EXPECT_EQ(SplitRecord(SmsTestRecord({}, {}, {}, {})).size(), 18u);
    EXPECT_EQ(SplitRecord(EmailTestRecord({}, {}, {}, {})).size(), 18u);
    EXPECT_EQ(SmsTestRecord({}, {}, {}, {}), "1|2|3|4|5||7|8|utf-8||||||||||");
}

TEST(SplitRecord, ASecondGbkByteThatLooksLikeABarDoesNotSeparate) {
    // 0x81 0x7C is one GBK character whose second byte is the "|" byte.
    std::string wide = "\x81\x7C";
    EXPECT_EQ(SplitRecord(GbkBytes("a" + wide + "b|c|")),
              (std::vector<GbkText>{GbkBytes("a" + wide + "b"), GbkBytes("c")}));
    EXPECT_EQ(SplitRecord(GbkBytes("a||b")),
              (std::vector<GbkText>{GbkBytes("a"), GbkBytes(""), GbkBytes("b")}));
}

struct RecordCase {
    const char* name;
    GbkText record;
    Kind kind;
    std::string toMail, body, smsBody, mobile, contry;
};

class ParseNotifyRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ParseNotifyRecordTest, FindsTheFieldsTheSendersNeed) {
    const auto& c = GetParam();
    NotifyRecord r = ParseNotifyRecord(c.record, IniDocument{});
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.toMail, c.toMail);
    EXPECT_EQ(r.body, c.body);
    EXPECT_EQ(r.smsBody, c.smsBody);
    EXPECT_EQ(r.mobile, c.mobile);
    EXPECT_EQ(r.contry, c.contry);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ParseNotifyRecordTest,
    ::testing::Values(
        RecordCase{"SmsTest", SmsTestRecord(GT("a@b.c"), GT("t"), GT("138,139"), GT("+86")),
                   Kind::Test, "a@b.c", "t", "t", "138,139", "+86"},
        RecordCase{"EmailTestButton", EmailTestRecord(GT("a@b.c"), GT("t"), GT("1"), GT("+1")),
                   Kind::Test, "a@b.c", "t", "t", "1", "+1"},
        RecordCase{"TestWithBarsInTheText", SmsTestRecord(GT("a"), GT("x|y|z"), GT("1"), GT("+86")),
                   Kind::Test, "a", "x|y|z", "x|y|z", "1", "+86"},
        RecordCase{"EmptyTest", EmailTestRecord({}, {}, {}, {}), Kind::Test, "", "", "", "", ""},
        RecordCase{"WindowByPosition",
                   GT("u|http://x|5|re|f|to@x|n|s|c|body|sms|138|+86|1|1|0|p|a|w|"),
                   Kind::Positional, "to@x", "body", "sms", "138", "+86"},
        RecordCase{"ShortRecordLeavesTheRestEmpty", GT("u|x|"), Kind::Positional, "", "", "", "",
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A window saved the way the configuration store saves it.
TConfig SavedWindow(const TempExeDir& dir, int index, const std::string& regx) {
    TConfig slot(index, dir.File("Config.inf"));
    slot.url = "http://shop/x";
    slot.Regx = regx;
    slot.ToMail = "me@example.com";
    slot.Subject = "Nuvaro提醒邮件";
    slot.Body = slot.SmsBody = "到货了|快买";
    slot.Mobile = "13800138000";
    slot.Contry = "+86";
    slot.WindowName = "窗口";
    slot.SaveAll();
    return slot;
}

TEST(ParseNotifyRecord, BarsInsideAWindowsFieldsAreResolvedThroughConfigInf) {
    TempExeDir dir;
    SavedWindow(dir, 1, "缺货");
    TConfig slot = SavedWindow(dir, 12, "缺货|到货|(\\d+)");
    NotifyRecord r = ParseNotifyRecord(slot.WindowRecord(), IniFile(slot.FileName).Load());
    EXPECT_EQ(r.kind, Kind::Window);
    EXPECT_EQ(r.slot, "12");
    EXPECT_EQ(r.toMail, "me@example.com");
    EXPECT_EQ(r.subject, G("Nuvaro提醒邮件"));
    EXPECT_EQ(r.body, G("到货了|快买"));
    EXPECT_EQ(r.smsBody, G("到货了|快买"));
    EXPECT_EQ(r.mobile, "13800138000");
    EXPECT_EQ(r.contry, "+86");
}

TEST(ParseNotifyRecord, AStoredRecordWhoseSwitchesWereSavedSinceIsReadFromItsSlotsKeys) {
    TempExeDir dir;
    SavedWindow(dir, 2, "other");
    SavedWindow(dir, 3, "缺货|到货");
    // The window's own save: single keys, `all` stays as the whole-slot save wrote it.
    WriteConfigKey("3", "RefreshTime", "10");
    WriteConfigKey("3", "SmsOpen", "1");
    IniDocument config = IniFile(dir.File("Config.inf")).Load();
    NotifyRecord r = ParseNotifyRecord(config.ReadGbk("3", "all").value(), config);
    EXPECT_EQ(r.kind, Kind::Window);
    EXPECT_EQ(r.slot, "3");
    EXPECT_EQ(r.toMail, "me@example.com");
    EXPECT_EQ(r.subject, G("Nuvaro提醒邮件"));
    EXPECT_EQ(r.smsBody, G("到货了|快买"));
    EXPECT_EQ(r.mobile, "13800138000");
    EXPECT_EQ(r.contry, "+86");
}

TEST(ParseNotifyRecord, ATestRecordIsNotMistakenForAWindow) {
    TempExeDir dir;
    TConfig slot = SavedWindow(dir, 1, "x");
    NotifyRecord r = ParseNotifyRecord(SmsTestRecord(GT("a"), GT("t"), GT("1"), GT("+86")),
                                       IniFile(slot.FileName).Load());
    EXPECT_EQ(r.kind, Kind::Test);
    EXPECT_EQ(r.slot, "");
}

}  // namespace
}  // namespace nuvaro
