#include "ui/modal_form.h"

#include <wx/toplevel.h>

#include "config/tconfig.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "services/notices.h"
#include "services/services.h"
#include "ui/accessible_name.h"
#include "ui/design.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {

ModalForm::ModalForm(const wxString& caption, const wxSize& size, long style, bool outerSize)
    : wxDialog(nullptr, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, style) {
    SetFont(design::FormFont());
    SetBackgroundColour(design::FormColour());
    if (outerSize) {
        SetSize(size);
    } else {
        SetClientSize(size);
    }
    SetReturnCode(wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Finish(wxID_CANCEL); });
}

int ModalForm::RunModal() {
    FormShow();
    NameControlsByLabels(this);
    CentreOnMainWindow();
    return ShowModal();
}

void ModalForm::Finish(int result) {
    if (IsModal()) {
        EndModal(result);
    } else {
        SetReturnCode(result);
        Hide();
    }
}

void ModalForm::CentreOnMainWindow() {
    wxWindow* main = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
        if (window->GetName() == "MainFrm") main = window;
    }
    if (!main || !main->IsShown()) {
        CentreOnScreen();
        return;
    }
    const wxRect area = main->GetScreenRect();
    const wxSize size = GetSize();
    SetPosition(wxPoint(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2));
}

void ModalForm::CommitSlot(TConfig& slot, const char* savedText,
                           const std::function<void()>& saved) {
    SetReturnCode(wxID_OK);
    try {
        slot.SaveAndReload();
    } catch (const std::exception& e) {
        ShowDefaultError(e.what());
        return Finish(wxID_OK);
    }
    if (saved) saved();
    GetNotices().ShowMessage(text::kCurrentWindow + slot.WindowName + savedText);
    Finish(wxID_OK);
}

}  // namespace nuvaro
