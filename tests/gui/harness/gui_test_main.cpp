// Runs the GUI tests inside an initialised wx application with an active event loop.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include "harness/gui_pump.h"

namespace {

class GuiTestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot initialise the GUI (no display?)\n");
        return 2;
    }
    wxTheApp->CallOnInit();
    int rc;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        rc = RUN_ALL_TESTS();
        nuvaro::testing::Pump(50);
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
