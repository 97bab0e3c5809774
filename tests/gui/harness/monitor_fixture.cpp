#include "harness/monitor_fixture.h"

#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "core/gbk.h"
#include "platform/gtk/web_browser.h"

namespace nuvaro::testing {
namespace {

std::vector<std::string> Lines(const std::string& gbk, char dateEnd) {
    std::vector<std::string> lines;
    std::string text = ToUtf8(GbkText::FromBytes(gbk));
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        size_t cut = line.find(dateEnd);
        lines.push_back(cut == std::string::npos ? line : line.substr(cut));
        pos = end + 2;
    }
    return lines;
}

}  // namespace

void MonitorTest::PrepareWindow(int n, const std::string& name, const std::string& path,
                                const std::string& regx, const std::string& group) {
    TMainFrm& f = *frame;
    while (!f.Window(n)) f.NewWindowClick();
    MonitorWindow* window = f.Window(n);
    window->NameEdit()->SetValue(wxString::FromUTF8(name));
    window->UrlEdit()->SetValue(server.Url(path));
    if (n == 0) {
        f.OpenPageClick();
    } else {
        f.OpenPageNClick(n);
    }
    BrowserPanel* browser = window->Browser();
    ASSERT_TRUE(PumpUntil(
        [&] { return browser->LocationURL() == server.Url(path) && !browser->IsLoading(); }));
    TConfig& slot = f.Configs()[n + 1];
    slot.Regx = (regx);
    slot.RegGrp = group;
    slot.SaveAndReload();
}

void MonitorTest::Tick(int n) {
    frame->TickWindow(n, TickKind::Timer);
    WaitForTick(n);
}

void MonitorTest::WaitForTick(int n) {
    ASSERT_TRUE(PumpUntil([&] { return !frame->TickInProgress(n); }, 60000));
}

std::vector<std::string> MonitorTest::InformLines() const {
    return Lines(dir.Read("Log/informlog.txt"), '[');
}

std::vector<std::string> MonitorTest::MatchLines() const {
    return Lines(dir.Read("Log/log.txt"), '=');
}

}  // namespace nuvaro::testing
