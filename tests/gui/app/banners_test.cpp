// The three banners on the real main window: built-in texts, the fetch two seconds after
// creation, the cache at the next start.
#include "banners/ui/scroll_text.h"
#include "core/gbk.h"
#include "harness/main_frame_fixture.h"
#include "support/http_server.h"

namespace nuvaro::testing {
namespace {

std::string Text(TScrollText* banner) { return banner->ScrollText().utf8_string(); }

TEST_F(MainFrameTest, BannersShowBuiltInTextsThenTheFetchedOnesAndTheCacheAfterARestart) {
    LocalHttpServer endpoint;
    endpoint.SetPage(
        "/api/ad.php",
        " 公告一 ||公告二||公告三 ||http://reg||1.0||http://a1||http://a2||http://a3||http://out",
        "text/plain; charset=utf-8");
    dir.Write("config.ini", "[Server]\r\nAdUrl=" + endpoint.Url("/api/ad.php") + "\r\n");
    TMainFrm& f = StartFrame();
    EXPECT_EQ(Text(f.TopBanner), "广告一");
    EXPECT_EQ(Text(f.SettingsBanner), "广告二");
    EXPECT_EQ(Text(f.BottomBanner), "广告三");
    ASSERT_TRUE(PumpUntil([&] { return Text(f.SettingsBanner) == "公告二"; }, 15000));
    EXPECT_EQ(Text(f.TopBanner), " 公告一 ");
    EXPECT_EQ(Text(f.BottomBanner), "公告三");  // only banner 3 is trimmed on screen
    std::string ini = ToUtf8(GbkText::FromBytes(dir.Read("config.ini")));
    EXPECT_NE(ini.find("AD1=公告一\r\n"), std::string::npos) << ini;  // only AD1 in the file
    EXPECT_NE(ini.find("AD3=公告三 \r\n"), std::string::npos) << ini;

    TMainFrm& again = RestartFrame();
    EXPECT_EQ(Text(again.TopBanner), "公告一");  // from the cache, at the show
    EXPECT_EQ(Text(again.SettingsBanner), "公告二");
}

// Hidden in the tray or minimised, nobody sees the banners: they stop and go on when shown.
TEST_F(MainFrameTest, BannersStopWhileTheWindowIsHiddenOrMinimised) {
    TMainFrm& f = StartFrame();
    auto moving = [&] {
        return f.TopBanner->Active() && f.SettingsBanner->Active() && f.BottomBanner->Active();
    };
    EXPECT_TRUE(moving());
    f.Hide();
    ASSERT_TRUE(PumpUntil([&] { return !f.TopBanner->Active(); }, 5000));
    EXPECT_FALSE(f.BottomBanner->Active());
    f.Show();
    ASSERT_TRUE(PumpUntil(moving, 5000));
}

}  // namespace
}  // namespace nuvaro::testing
