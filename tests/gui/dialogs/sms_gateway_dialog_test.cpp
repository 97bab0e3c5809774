// The SMS gateway dialog over sms.inf, the real SMS plug-in and a gateway of the test on
// 127.0.0.1: what it writes is what the plug-in then sends with.
#include <httplib.h>
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/gbk.h"
#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "notify/notify_dispatcher.h"
#include "notify/ui/sms_gateway_frm.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

class SmsGatewayDialogTest : public MainFrameTest {
  protected:
    void SetUp() override {
        MainFrameTest::SetUp();
        InstallPlugins(dir);
        gateway.Post("/v1/send", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{\"status\":\"ok\"}", "application/json");
        });
    }
    // Opens the dialog from its menu command and runs `drive` inside it.
    void WithDialog(const std::function<void(TSmsGatewayFrm&)>& drive) {
        ModalDriver driver([&](wxDialog& d) { drive(dynamic_cast<TSmsGatewayFrm&>(d)); });
        frame->SmsGatewayClick();
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(ModalDriver::ModalOpen());
    }
    void Fill(TSmsGatewayFrm& d) {
        d.GatewayEdit->SetValue(gateway.Url("/v1/send"));
        d.MethodBox->SetValue("POST");
        d.BodyEdit->SetValue("user={account}&to={number}&msg={text}");
        d.AccountEdit->SetValue("shop01");
        d.TokenEdit->SetValue("s3cret");
        d.SuccessEdit->SetValue("\"status\":\"ok\"");
        d.TimeoutEdit->SetValue("20");
    }

    LocalHttpServer gateway;
};

TEST_F(SmsGatewayDialogTest, WritesSmsInfThatThePlugInThenSendsWith) {
    dir.Write("sms.inf", "; our gateway\r\n[sms]\r\nGateway=http://old/\r\nMystery=1\r\n");
    TMainFrm& f = StartFrame();
    WithDialog([&](TSmsGatewayFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "短信网关设置");
        EXPECT_EQ(d.GatewayEdit->GetValue(), "http://old/");
        EXPECT_TRUE(d.TokenEdit->HasFlag(wxTE_PASSWORD));
        d.GatewayEdit->SetValue("ftp://gw/{number}");
        Click(d.OkButton);  // refused, the dialog stays
        EXPECT_TRUE(d.IsModal());
        EXPECT_EQ(notices->shown.back().caption, "短信网关设置");
        EXPECT_NE(LastText().find("网关地址必须以 http:// 或 https:// 开头"), std::string::npos)
            << LastText();

        Fill(d);  // the test sends with what the dialog shows, not yet saved
        d.TestNumberEdit->SetValue("13800138000");
        Click(d.TestButton);
        EXPECT_TRUE(PumpUntil(
            [&] {
                return d.TestOutcome->GetLabelText().StartsWith(
                    wxString::FromUTF8("测试短信已发出"));
            },
            30000))
            << d.TestOutcome->GetLabelText().utf8_string();
        EXPECT_NE(dir.Read("sms.inf").find("http://old/"), std::string::npos);
        Click(d.OkButton);
    });
    EXPECT_EQ(LastText(), "短信网关设置已保存！");
    const std::string smsInf = dir.Read("sms.inf");
    EXPECT_EQ(smsInf.rfind("; our gateway\r\n[sms]\r\nGateway=" + gateway.Url("/v1/send") +
                               "\r\nMystery=1\r\nMethod=POST\r\n",
                           0),
              0u)
        << smsInf;
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Param("to"), "+8613800138000");
    EXPECT_EQ(requests[0].Param("msg"), "Nuvaro 短信网关测试：收到这条短信说明网关设置正确。");

    // A window's notice now goes through the gateway the dialog wrote.
    TConfig& slot = f.Configs()[2];
    slot.WindowName = "显卡";
    slot.SmsBody = slot.Body = "到货了";
    slot.Mobile = "13900139000";
    slot.Contry = "+86";
    slot.SmsOpen = "1";
    slot.SaveAndReload();
    f.Dispatcher().Dispatch(slot, GT("到货"));
    ASSERT_TRUE(f.Dispatcher().WaitUntilIdle(30s));
    requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Param("user"), "shop01");
    EXPECT_EQ(requests[1].Param("to"), "+8613900139000");
    EXPECT_EQ(requests[1].Param("msg"), "到货了");
}

TEST_F(SmsGatewayDialogTest, ANewSmsInfIsReadableByItsOwnerOnlyAndCancelWritesNothing) {
    StartFrame();
    WithDialog([&](TSmsGatewayFrm& d) {
        Fill(d);
        Click(d.CancelButton);
    });
    EXPECT_FALSE(dir.Exists("sms.inf"));
    WithDialog([&](TSmsGatewayFrm& d) {
        EXPECT_TRUE(d.GatewayEdit->GetValue().empty());
        Fill(d);
        Click(d.OkButton);
    });
    struct stat st {};
    ASSERT_EQ(stat(dir.File("sms.inf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(IniFile(dir.File("sms.inf")).ReadString("sms", "Token"), "s3cret");
}

// A gateway that answers with an error page: the dialog shows status and title on one line.
TEST_F(SmsGatewayDialogTest, AnErrorPageIsShownAsOneReadableLine) {
    std::string page =
        "<!DOCTYPE HTML>\n<html lang=\"zh-CN\"><head><title>404 页面不存在</title>"
        "<style>h1{color:red}</style></head>\n<body><h1>Not Found</h1>";
    for (int i = 0; i < 200; ++i) page += "<p>The requested URL was not found on this server.</p>";
    gateway.Post("/gone", [page](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content(page, "text/html; charset=utf-8");
    });
    StartFrame();
    WithDialog([&](TSmsGatewayFrm& d) {
        Fill(d);
        d.GatewayEdit->SetValue(gateway.Url("/gone"));
        d.TestNumberEdit->SetValue("13800138000");
        Click(d.TestButton);
        EXPECT_TRUE(PumpUntil([&] { return d.TestButton->IsEnabled(); }, 30000));
        EXPECT_EQ(d.TestOutcome->GetLabelText().utf8_string(),
                  "测试短信发送失败：HTTP 404 404 页面不存在");
        Click(d.CancelButton);
    });
    auto log = WaitForSendLog(dir, 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("[SMS][test][+8613800138000][try 1] FAILED: HTTP 404 <!DOCTYPE HTML>"),
              std::string::npos)
        << log[0];
}

}  // namespace
}  // namespace nuvaro::testing
