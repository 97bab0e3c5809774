// Saving a window's settings and opening its page, on the default page and added windows.
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "harness/main_frame_fixture.h"
#include "platform/gtk/web_browser.h"
#include "support/http_server.h"

namespace nuvaro::testing {
namespace {

wxString W(const char* utf8) { return wxString::FromUTF8(utf8); }

TEST_F(MainFrameTest, DefaultPageSaveWritesMemoryAndFileKeyByKey) {
    WriteConfig("[1]\nurl=http://saved\nRefreshTime=5\n");
    TMainFrm& f = StartFrame();
    MonitorWindow& page = f.DefaultPage();
    page.NameEdit()->SetValue(W("京东"));
    page.UrlEdit()->SetValue("");  // an empty address keeps the saved one
    page.RefreshEdit()->SetValue("");
    page.SmsCheck()->SetValue(true);
    f.SaveWindowClick();
    EXPECT_EQ(ConfigValue("1", "WindowName"), "京东");
    EXPECT_EQ(ConfigValue("1", "url"), "http://saved");
    EXPECT_EQ(ConfigValue("1", "RefreshTime"), "");
    EXPECT_EQ(ConfigValue("1", "SmsOpen"), "1");
    EXPECT_EQ(ConfigValue("1", "EmailOpen"), "0");
    EXPECT_EQ(ConfigValue("1", "OtherOpen"), "0");
    EXPECT_EQ(f.Configs()[1].WindowName, "京东");
    EXPECT_EQ(f.Configs()[1].SmsOpen, "1");
    EXPECT_EQ(LastText(), "当前窗口:京东 设置已保存成功！");
    EXPECT_EQ(notices->shown.back().caption, "Nuvaro");

    f.Configs()[1].SaveAndReload();  // a dialog's whole-slot save keeps what was saved
    EXPECT_EQ(ConfigValue("1", "WindowName"), "京东");
    EXPECT_EQ(ConfigValue("1", "SmsOpen"), "1");
}

TEST_F(MainFrameTest, AddedWindowSaveWritesUrlAlwaysAndEmptyNamesOnlyToMemory) {
    WriteConfig("[1]\n[2]\nWindowName=甲\nurl=http://old\nRefreshTime=4\n");
    TMainFrm& f = StartFrame();
    MonitorWindow* w = f.Window(1);
    w->NameEdit()->SetValue("");
    w->UrlEdit()->SetValue("");
    w->RefreshEdit()->SetValue("");
    w->EmailCheck()->SetValue(true);
    f.SaveWindowNClick(1);
    EXPECT_EQ(ConfigValue("2", "WindowName"), "甲");  // empty: the file keeps its value
    EXPECT_EQ(ConfigValue("2", "RefreshTime"), "4");
    EXPECT_EQ(ConfigValue("2", "url"), "");  // written even when empty
    EXPECT_EQ(ConfigValue("2", "EmailOpen"), "1");
    EXPECT_EQ(f.Configs()[2].WindowName, "");  // memory takes every value
    EXPECT_EQ(f.Configs()[2].RefreshTime, "");
    EXPECT_EQ(LastText(), "当前窗口: 设置已保存成功！");
}

TEST_F(MainFrameTest, SavingUnderANewNameLeavesTheTabOpeningThePageRenamesIt) {
    WriteConfig("[1]\n[2]\nWindowName=甲\n");
    TMainFrm& f = StartFrame();
    MonitorWindow* w = f.Window(1);
    w->NameEdit()->SetValue(W("乙"));
    f.SaveWindowNClick(1);
    EXPECT_EQ(f.PageControl()->GetPageText(1).utf8_string(), "甲");
    w->UrlEdit()->SetValue("about:blank");
    f.OpenPageNClick(1);
    EXPECT_EQ(f.PageControl()->GetPageText(1).utf8_string(), "乙");
}

TEST_F(MainFrameTest, OpenPageLoadsTheAddressAndTheBrowserFillsTheEdit) {
    LocalHttpServer server;
    server.SetPage("/stock", "<html><body><p>有货</p></body></html>");
    server.SetPage("/redirected", "<html><body>new</body></html>");
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    MonitorWindow* w = f.Window(1);
    w->NameEdit()->SetValue(W("库存"));
    w->UrlEdit()->SetValue(server.Url("/stock"));
    f.OpenPageNClick(1);
    ASSERT_TRUE(PumpUntil(
        [&] { return server.RequestCount("/stock") == 1 && !w->Browser()->IsLoading(); }));
    EXPECT_EQ(w->Browser()->LocationURL(), server.Url("/stock"));
    EXPECT_EQ(ConfigValue("2", "WindowName"), "库存");
    EXPECT_EQ(ConfigValue("2", "url"), server.Url("/stock"));
    EXPECT_EQ(f.Configs()[2].url, server.Url("/stock"));  // memory follows the file
    EXPECT_TRUE(notices->shown.empty());

    // The browser follows a link: its progress puts the new address into the edit.
    w->Browser()->Navigate(server.Url("/redirected"));
    ASSERT_TRUE(PumpUntil([&] { return w->UrlEdit()->GetValue() == server.Url("/redirected"); }));
}

TEST_F(MainFrameTest, OpenPageRefusesAnEmptyNameOrAddress) {
    WriteConfig("[1]\n[2]\nWindowName=甲\n");
    TMainFrm& f = StartFrame();
    MonitorWindow* w = f.Window(1);
    w->NameEdit()->SetValue("");
    w->UrlEdit()->SetValue("http://127.0.0.1:9/");
    f.OpenPageNClick(1);
    EXPECT_EQ(LastText(), "网站名为空");
    EXPECT_EQ(f.PageControl()->GetPageText(1), "");  // the caption follows even then
    EXPECT_EQ(ConfigValue("2", "WindowName"), "甲");
    EXPECT_EQ(ConfigValue("2", "url"), "");

    w->NameEdit()->SetValue(W("乙"));
    w->UrlEdit()->SetValue("");
    f.OpenPageNClick(1);
    EXPECT_EQ(LastText(), "网址不能为空");
    EXPECT_EQ(ConfigValue("2", "WindowName"), "乙");  // the name was written first
    EXPECT_EQ(w->Browser()->LocationURL(), "");
}

TEST_F(MainFrameTest, DefaultPageOpenPageUsesTheSavedAddressThenTheHelpPage) {
    LocalHttpServer server;
    server.SetPage("/a", "<html><body>a</body></html>");
    WriteConfig("[1]\nurl=" + server.Url("/a") + "\n");
    TMainFrm& f = StartFrame();
    MonitorWindow& page = f.DefaultPage();

    page.NameEdit()->SetValue("");
    f.OpenPageClick();
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "窗口名不能为空");
    EXPECT_EQ(notices->shown[0].caption, "错误");
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::None);
    EXPECT_FALSE(notices->shown[0].owned);

    page.NameEdit()->SetValue(W("首页"));
    page.UrlEdit()->SetValue("");
    f.OpenPageClick();
    EXPECT_EQ(page.UrlEdit()->GetValue(), server.Url("/a"));
    EXPECT_EQ(f.PageControl()->GetPageText(0).utf8_string(), "首页");
    EXPECT_EQ(ConfigValue("1", "WindowName"), "首页");
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount("/a") == 1; }));
    EXPECT_EQ(notices->shown.size(), 1u);

    f.Configs()[1].url = "";
    WriteConfigKey("1", "url", "");
    page.UrlEdit()->SetValue("");
    f.OpenPageClick();
    EXPECT_EQ(page.UrlEdit()->GetValue().utf8_string(), f.HelpPageAddress());
    EXPECT_EQ(LastText(), "您没有输入网址，软件为您打开来Nuvaro帮助页");
    EXPECT_EQ(f.Configs()[1].url, f.HelpPageAddress());
    ASSERT_TRUE(PumpUntil([&] { return page.Browser()->LocationURL() == f.HelpPageAddress(); }));
}

TEST_F(MainFrameTest, ARefusedWriteIsShownAndNoSuccessFollows) {
    WriteConfig("[1]\n[2]\nWindowName=甲\n");
    chmod(dir.File("Config.inf").c_str(), 0444);
    TMainFrm& f = StartFrame();
    f.Window(1)->RefreshEdit()->SetValue("5");
    Click(f.Window(1)->SaveButton());
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "Unable to write to " + dir.File("Config.inf"));
    EXPECT_EQ(notices->shown[0].caption, "Nuvaro");
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Error);
}

}  // namespace
}  // namespace nuvaro::testing

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

namespace nuvaro::testing {
namespace {

TEST_F(MainFrameTest, DoubleClickOnAnAddressCopiesTheSelection) {
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    wxTextCtrl* edit = f.Window(1)->UrlEdit();
    edit->SetValue(W("http://127.0.0.1/价格/index.html"));
    edit->SetSelection(17, 19);  // what the double click selected
    ASSERT_EQ(edit->GetStringSelection().utf8_string(), "价格");
    f.UrlDoubleClick(1);
    Pump(50);
    wxString copied;
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->GetData(data)) copied = data.GetText();
        wxTheClipboard->Close();
    }
    EXPECT_EQ(copied.utf8_string(), "价格");
}

}  // namespace
}  // namespace nuvaro::testing
