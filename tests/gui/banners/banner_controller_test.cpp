#include "banners/ui/banner_controller.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <atomic>
#include <string>
#include <vector>

#include "banners/test_endpoints.h"
#include "core/texts.h"
#include "harness/gui_pump.h"
#include "support/http_server.h"
#include "support/recording_notices.h"
#include "support/recording_shell.h"
#include "support/temp_dir.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::Gate;
using testing::LocalHttpServer;
using testing::PumpUntil;
using testing::TempExeDir;

using testing::RecordingNotices;
using testing::RecordingShell;

// What the shell was asked to open, and to start.
std::vector<std::string> Targets(const RecordingShell& shell, const std::string& verb) {
    std::vector<std::string> targets;
    for (const auto& call : shell.calls) {
        if (call.verb == verb) targets.push_back(call.target);
    }
    return targets;
}

// The reply as the endpoint sends it, UTF-8, with blanks around the texts.
const std::string kReply =
    " 新版本发布 ||欢迎使用||\t限时优惠 ||http://example.com/reg||2.1||http://example.com/1||"
    "http://example.com/2||example.com/3||http://example.com/out";

// The three banners where the main window keeps them: a top strip, the settings box's bottom
// line, a bottom strip.
class BannerFrame {
  public:
    BannerFrame()
        : frame(new wxFrame(nullptr, wxID_ANY, "banners", wxPoint(0, 0), wxSize(804, 200))) {
        auto* panel = new wxPanel(frame);
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        for (int height : {26, 19, 17}) {
            banners.push_back(
                new TScrollText(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, height)));
            sizer->Add(banners.back(), 0, wxEXPAND | wxBOTTOM, 40);
        }
        panel->SetSizer(sizer);
        frame->Show();
        PumpUntil([this] { return banners[2]->IsShownOnScreen(); }, 5000);
    }
    ~BannerFrame() {
        frame->Destroy();
        testing::Pump(20);
    }
    wxString Text(int i) const { return banners[i]->ScrollText(); }

    wxFrame* frame;
    std::vector<TScrollText*> banners;
};

class BannerControllerTest : public ::testing::Test {
  protected:
    std::unique_ptr<BannerController> NewController() {
        return std::make_unique<BannerController>(view.banners[0], view.banners[1], view.banners[2],
                                                  shell, notices);
    }
    void ServeReply(const std::string& reply) {
        server.Get("/api/ad.php", [this, reply](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.set_content(reply, "text/plain; charset=utf-8");
        });
        dir.Write("config.ini", "[Server]\r\nAdUrl=" + server.Url("/api/ad.php") + "\r\n");
    }
    void Click(int banner) {
        TScrollText* b = view.banners[banner];
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
            wxMouseEvent e(type);
            e.SetPosition({3, 3});
            e.SetEventObject(b);
            b->GetEventHandler()->ProcessEvent(e);
        }
    }

    TempExeDir dir;
    LocalHttpServer server;
    std::atomic<int> requests{0};
    RecordingNotices notices;
    RecordingShell shell;
    BannerFrame view;
};

TEST_F(BannerControllerTest, SetsUpTheBannersWithTheirBuiltInTexts) {
    auto controller = NewController();
    EXPECT_EQ(view.Text(0), U8("广告一"));
    EXPECT_EQ(view.Text(1), U8("广告二"));
    EXPECT_EQ(view.Text(2), U8("广告三"));
    EXPECT_EQ(view.banners[0]->GetBackgroundColour(), wxColour(0xAD, 0xB7, 0xEC));
    for (int i = 0; i < 3; ++i) {
        TScrollText* b = view.banners[i];
        if (i > 0) {
            EXPECT_EQ(b->GetBackgroundColour(), wxColour(0xD4, 0xD9, 0xEF));
        }
        EXPECT_EQ(b->GetForegroundColour(), *wxBLACK);
        EXPECT_EQ(design::FontPixelHeight(b->GetFont()), 12);
        // Characters 12 pixels high: three Chinese ones take about three times that.
        EXPECT_GE(b->GetTextExtent(U8("广告一")).GetWidth(), 33);
        EXPECT_EQ(b->GetFont().GetFaceName(), U8(kSimSunFace));
        EXPECT_TRUE(b->Active());
        EXPECT_EQ(b->Step(), 5);
        EXPECT_EQ(b->Interval(), 200);
    }
}

TEST_F(BannerControllerTest, FetchShowsTheTextsCachesThemInGbkAndARestartShowsThemFromTheCache) {
    ServeReply(kReply);
    auto controller = NewController();
    controller->FillFromCache();  // the file names the endpoint but caches nothing yet
    EXPECT_EQ(view.Text(0), U8("广告一"));
    controller->Start();
    ASSERT_TRUE(PumpUntil([&] { return view.Text(1) == U8("欢迎使用"); }, 30000));
    EXPECT_EQ(view.Text(0), U8(" 新版本发布 "));  // on screen only banner 3 is trimmed
    EXPECT_EQ(view.Text(2), U8("限时优惠"));
    EXPECT_EQ(controller->Values().ADurl3, "example.com/3");
    EXPECT_TRUE(notices.shown.empty());
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(dir.Read("config.ini"),
              "[Server]\r\nAdUrl=" + server.Url("/api/ad.php") +
                  "\r\n"
                  "[AD]\r\n"
                  "AD1=" +
                  G("新版本发布") +
                  "\r\n"  // in the file only AD1 is trimmed
                  "AD2=" +
                  G("欢迎使用") +
                  "\r\n"
                  "AD3=" +
                  G("\t限时优惠 ") +
                  "\r\n"
                  "Regurl=http://example.com/reg\r\nVer=2.1\r\nADurl1=http://example.com/1\r\n"
                  "ADurl2=http://example.com/2\r\nADurl3=example.com/3\r\n"
                  "OutUrl=http://example.com/out\r\n");

    // Restart: built-in texts first, the cached ones at the first show.
    controller.reset();
    controller = NewController();
    EXPECT_EQ(view.Text(0), U8("广告一"));
    controller->FillFromCache();
    EXPECT_EQ(view.Text(0), U8("新版本发布"));
    EXPECT_EQ(view.Text(1), U8("欢迎使用"));
    EXPECT_EQ(view.Text(2), U8("限时优惠"));  // read back as Windows reads: without outer blanks
    EXPECT_EQ(controller->Values().Ver, "2.1");
}

TEST_F(BannerControllerTest, EveryFillFromTheCacheRestartsTheBanners) {
    dir.Write("config.ini", "[AD]\r\nAD1=" + G("缓存一") + "\r\n");
    auto controller = NewController();
    controller->FillFromCache();
    ASSERT_TRUE(PumpUntil([&] { return view.banners[0]->Offset() < 0; }, 20000));
    controller->FillFromCache();
    EXPECT_EQ(view.banners[0]->Offset(), 0);
    EXPECT_EQ(view.Text(0), U8("缓存一"));
    EXPECT_EQ(view.Text(1), "");  // a missing key reads as empty
}

TEST_F(BannerControllerTest, UnreachableEndpointShowsTheMessageOnceAndKeepsTheCache) {
    std::string url = testing::ClosedPortUrl("/api/ad.php");
    std::string cache = "[Server]\r\nAdUrl=" + url + "\r\n[AD]\r\nAD1=" + G("旧公告") +
                        "\r\nAD2=\r\nAD3=" + G("旧三") + "\r\nADurl1=http://old.example/\r\n";
    dir.Write("config.ini", cache);
    auto controller = NewController();
    controller->FillFromCache();
    controller->Start();
    ASSERT_TRUE(PumpUntil([&] { return !notices.shown.empty(); }, 30000));
    testing::Pump(500);
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text, "无法打开：" + url);
    EXPECT_EQ(notices.shown[0].caption, "Nuvaro");
    EXPECT_EQ(dir.Read("config.ini"), cache);
    EXPECT_EQ(view.Text(0), U8("旧公告"));
    EXPECT_EQ(view.Text(2), U8("旧三"));
    Click(0);
    EXPECT_EQ(Targets(shell, "open"), std::vector<std::string>{"http://old.example/"});
}

TEST_F(BannerControllerTest, WithoutAnEndpointNothingIsFetchedOrShown) {
    auto controller = NewController();
    controller->Start();
    testing::Pump(BannerController::kStartDelayMs + 500);
    EXPECT_TRUE(notices.shown.empty());
    EXPECT_EQ(view.Text(0), U8("广告一"));
    EXPECT_FALSE(dir.Exists("config.ini"));
}

TEST_F(BannerControllerTest, ClicksOnBannersOneAndThreeOpenTheirLinksAndBannerTwoNothing) {
    ServeReply(kReply);
    auto controller = NewController();
    controller->Start();
    ASSERT_TRUE(PumpUntil([&] { return view.Text(1) == U8("欢迎使用"); }, 30000));
    Click(0);
    Click(1);
    Click(2);
    EXPECT_EQ(Targets(shell, "open"),
              (std::vector<std::string>{"http://example.com/1", "http://example.com/3"}));
    EXPECT_TRUE(Targets(shell, "execute").empty());
}

TEST_F(BannerControllerTest, LinksThatAreNoWebAddressesAreNotHandedToTheShell) {
    dir.Write("config.ini", "[AD]\r\nADurl1=file:///etc/passwd\r\nADurl3=xterm -e http://x\r\n");
    auto controller = NewController();
    controller->FillFromCache();
    Click(0);
    Click(2);
    EXPECT_TRUE(Targets(shell, "open").empty());
    EXPECT_TRUE(Targets(shell, "execute").empty());
}

TEST_F(BannerControllerTest, ShutdownDuringAFetchReturnsAndNothingArrivesAfterIt) {
    Gate gate;
    std::atomic<bool> arrived{false};
    server.Get("/api/ad.php", [&](const httplib::Request&, httplib::Response& res) {
        arrived = true;
        gate.Wait();
        res.set_content(kReply, "text/plain");
    });
    dir.Write("config.ini", "[Server]\r\nAdUrl=" + server.Url("/api/ad.php") + "\r\n");
    std::string before = dir.Read("config.ini");
    auto controller = NewController();
    controller->Start();
    ASSERT_TRUE(PumpUntil([&] { return arrived.load(); }, 30000));
    controller.reset();
    gate.Open();
    testing::Pump(300);
    EXPECT_EQ(view.Text(1), U8("广告二"));
    EXPECT_TRUE(notices.shown.empty());
    EXPECT_EQ(dir.Read("config.ini"), before);
}

}  // namespace
}  // namespace nuvaro
