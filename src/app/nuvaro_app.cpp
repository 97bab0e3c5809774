#include "app/nuvaro_app.h"

#include <wx/weakref.h>

#include <exception>

#include "app/main_frame.h"
#include "app/program.h"
#include "config/settings_files.h"
#include "core/private_files.h"
#include "core/texts.h"
#include "platform/single_instance.h"
#include "services/desktop_setup.h"
#include "services/notices.h"
#include "services/services.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {

NuvaroApp::NuvaroApp() = default;
NuvaroApp::~NuvaroApp() = default;

bool NuvaroApp::OnInit() {
    KeepNewFilesPrivate();  // before the browser engine or a log makes anything
    SetUpDesktop();
    // No window asks for idle or update-UI events: the loop need not send them to all of them.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    m_instance = std::make_unique<SingleInstance>();
    if (m_instance->AnotherIsRunning()) {
        GetNotices().Box(Notices::Owner::None, text::kAlreadyRunning, text::kCaptionNotice,
                         Notices::Icon::Information, Notices::Buttons::Ok);
        m_instance.reset();
        return false;
    }
    // Before anything reads or writes the files: another session may run this folder's copy.
    if (m_instance->FolderInUse()) {
        GetNotices().Box(Notices::Owner::None, text::kFolderInUse, text::kCaptionNotice,
                         Notices::Icon::Information, Notices::Buttons::Ok);
        m_instance.reset();
        return false;
    }
    RemoveStaleSettingsTemporaries();
    MakeKeptFilesPrivate();
    SetAppName(U8(text::kAppTitle));
    SetAppDisplayName(U8(text::kAppTitle));
    m_program = std::make_unique<Program>();
    auto* frame = new TMainFrm(*m_program);
    m_program->ResumeOutbox();  // the window shows the engine and the tray by now
    m_program->StartReports();
    SetTopWindow(frame);
    WhenAskedToEnd([frame = wxWeakRef<TMainFrm>(frame)](const char* request) {
        if (frame) frame->EndOnRequest(request);
    });
    frame->RestoreWindows();
    frame->Show();
    return true;
}

int NuvaroApp::OnExit() {
    const int code = wxApp::OnExit();  // deletes the main window, destroyed on its way out
    m_program.reset();  // its last writes of the outbox and the run state under the locks
    m_instance.reset();
    return code;
}

// The default error display: whatever a handler did not catch is shown, and the program goes on.
bool NuvaroApp::OnExceptionInMainLoop() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowDefaultError(e.what());
    } catch (...) {
        ShowDefaultError("unknown error");
    }
    return true;
}

void NuvaroApp::OnUnhandledException() { OnExceptionInMainLoop(); }

}  // namespace nuvaro
