// The main window at its default size under this desktop's theme: every control of the default
// page and both banner strips whole, checked on the screen as drawn.
#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/panel.h>

#include "app/monitor_window.h"
#include "banners/ui/scroll_text.h"
#include "harness/main_frame_fixture.h"

namespace nuvaro::testing {
namespace {

wxRect OnScreen(const wxWindow* w) { return {w->GetScreenPosition(), w->GetSize()}; }

// Every control below `w`, at any depth.
void Controls(wxWindow* w, std::vector<wxWindow*>& out) {
    for (wxWindow* child : w->GetChildren()) {
        out.push_back(child);
        Controls(child, out);
    }
}

// The rows of `area` as the screen shows them.
wxImage Screenshot(const wxRect& area) {
    wxBitmap shot(area.width, area.height);
    wxMemoryDC memory(shot);
    wxScreenDC screen;
    memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    memory.SelectObject(wxNullBitmap);
    return shot.ConvertToImage();
}

TEST_F(MainFrameTest, TheDefaultSizeShowsEveryControlAndBothBannersWhole) {
    TMainFrm& f = StartFrame();
    MonitorWindow& page = f.DefaultPage();
    ASSERT_TRUE(PumpUntil([&] {
        const wxSize have = page.Page()->GetClientSize();
        const wxSize need = page.NeededPageSize();
        return have.x >= need.x && have.y >= need.y;
    })) << page.Page()->GetClientSize().x
        << "x" << page.Page()->GetClientSize().y;
    Pump(50);

    const wxRect client(f.ClientToScreen(wxPoint(0, 0)), f.GetClientSize());
    EXPECT_TRUE(client.Contains(OnScreen(f.TopBanner)));
    EXPECT_TRUE(client.Contains(OnScreen(f.BottomBanner)));
    const wxRect pageArea = OnScreen(page.Page());
    std::vector<wxWindow*> controls;
    Controls(page.Page(), controls);
    for (wxWindow* control : controls) {
        if (!control->IsShown() || control->GetName() == "Browser") continue;
        EXPECT_TRUE(pageArea.Contains(OnScreen(control))) << control->GetName();
    }

    // The bottom strip as drawn: its last row is the banner's own colour across its width, not
    // cut off by the window's edge.
    f.Raise();
    Pump(50);
    const wxRect strip = OnScreen(f.BottomBanner);
    const wxImage shot = Screenshot(strip);
    const wxColour own = f.BottomBanner->GetBackgroundColour();
    int same = 0;
    for (int x = 0; x < shot.GetWidth(); ++x) {
        const int y = shot.GetHeight() - 1;
        same += shot.GetRed(x, y) == own.Red() && shot.GetGreen(x, y) == own.Green() &&
                shot.GetBlue(x, y) == own.Blue();
    }
    EXPECT_GT(same, shot.GetWidth() * 3 / 4) << "of " << shot.GetWidth();
}

}  // namespace
}  // namespace nuvaro::testing
