// Runs the GUI tests inside an initialised wx application with an active event loop.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <filesystem>

#include "harness/gui_pump.h"

namespace {

class GuiTestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// Nothing a test starts (the program's autostart store, the toolkit, the engine) may write into
// the real user's configuration, data or cache folders: they all point into a folder of the
// run's own, removed at the end.
class OwnUserFolders {
  public:
    OwnUserFolders() {
        char name[] = "/tmp/nuvaro-gui-user-XXXXXX";
        if (!mkdtemp(name)) return;
        m_root = name;
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            const std::filesystem::path folder = m_root / variable;
            std::filesystem::create_directories(folder);
            setenv(variable, folder.c_str(), 1);
        }
    }
    ~OwnUserFolders() {
        std::error_code ignored;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
    }

  private:
    std::filesystem::path m_root;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    OwnUserFolders userFolders;

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
