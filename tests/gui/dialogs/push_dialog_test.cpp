// The push settings dialog over push.inf and a robot of the test on 127.0.0.1.
#include <gmock/gmock.h>
#include <httplib.h>
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdlib>

#include "core/gbk.h"
#include "harness/gui_pump.h"
#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "notify/ui/push_frm.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

// With NUVARO_SCREENSHOTS set, the dialog as it is drawn goes to that folder.
void Screenshot(wxWindow& window, const char* name) {
    const char* folder = std::getenv("NUVARO_SCREENSHOTS");
    if (!folder) return;
    window.Update();
    for (int i = 0; i < 20; ++i) wxYield();
    wxClientDC screen(&window);
    const wxSize size = window.GetClientSize();
    wxBitmap shot(size);
    wxMemoryDC memory(shot);
    memory.Blit(0, 0, size.x, size.y, &screen, 0, 0);
    memory.SelectObject(wxNullBitmap);
    shot.SaveFile(std::string(folder) + "/" + name, wxBITMAP_TYPE_PNG);
}

class PushDialogTest : public MainFrameTest {
  protected:
    void WithDialog(const std::function<void(TPushFrm&)>& drive) {
        ModalDriver driver([&](wxDialog& d) { drive(dynamic_cast<TPushFrm&>(d)); });
        frame->PushSettingsClick();
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(ModalDriver::ModalOpen());
    }
    LocalHttpServer robot;
};

TEST_F(PushDialogTest, ListsChannelsWithoutTheirKeysAddsTestsRemovesAndWritesPushInf) {
    robot.Post("/robot/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"errcode":0,"errmsg":"ok"})", "application/json");
    });
    dir.Write("push.inf", G("[push1]\r\nKind=wecom\r\nUrl=https://qyapi.weixin.qq.com/cgi-bin/"
                            "webhook/send?key=SECRETKEY\r\nTitle=价格\r\n[push2]\r\nKind=ntfy\r\n"
                            "Url=https://ntfy.sh/alerts\r\nEnabled=0\r\n"));
    StartFrame();
    WithDialog([&](TPushFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "推送设置");
        ASSERT_EQ(d.ChannelList->GetItemCount(), 2);
        EXPECT_EQ(d.ChannelList->GetItemText(0, 2).utf8_string(), "qyapi.weixin.qq.com");
        EXPECT_EQ(d.ChannelList->GetItemText(1, 3).utf8_string(), "");
        EXPECT_TRUE(d.SecretEdit->HasFlag(wxTE_PASSWORD));
        // A new dingtalk robot, signed, tested with the fields as they stand.
        d.KindChoice->SetSelection(1);
        d.UrlEdit->SetValue(robot.Url("/robot/send?access_token=T1"));
        d.SecretEdit->SetValue("SECabc");
        d.TitleEdit->SetValue("");
        Click(d.AddButton);
        ASSERT_EQ(d.ChannelList->GetItemCount(), 3);
        Click(d.TestButton);
        EXPECT_TRUE(PumpUntil([&] { return d.TestButton->IsEnabled(); }, 30000));
        EXPECT_THAT(d.Outcome->GetLabel().utf8_string(), ::testing::HasSubstr("测试消息已发出"));
        Screenshot(d, "push_dialog.png");
        d.Select(1);
        Click(d.RemoveButton);
        EXPECT_EQ(d.ChannelList->GetItemCount(), 2);
        Click(d.OkButton);
    });
    const std::string written = ToUtf8(GbkText::FromBytes(dir.Read("push.inf")));
    EXPECT_EQ(written,
              "[push1]\r\nKind=wecom\r\nUrl=https://qyapi.weixin.qq.com/cgi-bin/webhook/send?"
              "key=SECRETKEY\r\nTitle=价格\r\nEnabled=1\r\n[push2]\r\nKind=dingtalk\r\nUrl=" +
                  robot.Url("/robot/send?access_token=T1") + "\r\nSecret=SECabc\r\nEnabled=1\r\n");
    struct stat st {};
    ASSERT_EQ(stat(dir.File("push.inf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace nuvaro::testing
