#include "platform/msw/box_dialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "platform/wx/box_cascade.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

wxArtID ArtOf(Notices::Icon icon) {
    switch (icon) {
        case Notices::Icon::Information:
            return wxART_INFORMATION;
        case Notices::Icon::Question:
            return wxART_QUESTION;
        case Notices::Icon::Error:
            return wxART_ERROR;
        case Notices::Icon::None:
            break;
    }
    return {};
}

std::string ValidUtf8(const std::string& raw) {
    if (IsWellFormedUtf8(raw)) return raw;
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        size_t n = 1;
        while (n <= 4 && i + n <= raw.size() && !IsWellFormedUtf8(raw.substr(i, n))) ++n;
        if (n <= 4 && i + n <= raw.size()) {
            out += raw.substr(i, n);
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

}  // namespace

wxString BoxText(const std::string& utf8) {
    return wxString::FromUTF8(LfLineBreaks(ValidUtf8(utf8)));
}

BoxDialog::BoxDialog(wxWindow* owner, const std::string& text, const std::string& caption,
                     Notices::Icon icon, Notices::Buttons buttons)
    // A box of a window stays above it (it is owned by it).
    : wxDialog(owner, wxID_ANY, BoxText(caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | (owner ? wxFRAME_FLOAT_ON_PARENT : 0)) {
    SetFont(design::FormFont());
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    if (icon != Notices::Icon::None) {
        auto* bitmap = new wxStaticBitmap(this, wxID_ANY,
                                          wxArtProvider::GetBitmap(ArtOf(icon), wxART_MESSAGE_BOX));
        body->Add(bitmap, 0, wxALL, 12);
    }
    auto* message = new wxStaticText(this, wxID_ANY, BoxText(text));
    message->Wrap(FromDIP(480));
    body->Add(message, 1, wxALL | wxALIGN_CENTER_VERTICAL, 12);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto addButton = [&](int id, const char* label) {
        auto* button = new wxButton(this, id, U8(label));
        button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { Answer(id); });
        row->Add(button, 0, wxALL, 4);
        return button;
    };
    if (buttons == Notices::Buttons::YesNo) {
        addButton(wxID_YES, text::kYes)->SetDefault();
        addButton(wxID_NO, text::kNo);
        SetEscapeId(wxID_NO);
    } else {
        addButton(wxID_OK, text::kOk)->SetDefault();
        SetEscapeId(wxID_OK);
    }
    Bind(wxEVT_CLOSE_WINDOW, [this, buttons](wxCloseEvent&) {
        Answer(buttons == Notices::Buttons::YesNo ? wxID_NO : wxID_OK);
    });
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(body, 1, wxEXPAND);
    all->Add(row, 0, wxALIGN_CENTER | wxBOTTOM, 8);
    SetSizerAndFit(all);
    CentreOnParent();
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
}

// Boxes open at once go down and to the right of each other, never exactly on one another; kept
// on the screen.
void BoxDialog::Cascade() {
    m_cascade = TakeCascadeStep();
    const wxRect screen = wxDisplay(this).GetClientArea();
    const wxRect box = GetRect();
    int x = box.x + m_cascade * kCascadeStep, y = box.y + m_cascade * kCascadeStep;
    x = std::clamp(x, screen.x, std::max(screen.x, screen.GetRight() + 1 - box.width));
    y = std::clamp(y, screen.y, std::max(screen.y, screen.GetBottom() + 1 - box.height));
    Move(x, y);
}

void BoxDialog::ShowPosted(Notices::Closed closed) {
    m_posted = true;
    m_closed = std::move(closed);
    Cascade();
    Show();
    Raise();
}

void BoxDialog::CountDown(int seconds) {
    m_shown = std::chrono::steady_clock::now();
    m_seconds = seconds;
    m_timer.Start(100);
}

void BoxDialog::Tick() {
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_shown).count();
    int left = static_cast<int>(std::ceil(m_seconds - elapsed));
    if (left <= 0) {
        Answer(wxID_OK);
        return;
    }
    SetTitle(wxString::Format("(%d)  ", left) + U8(text::kAppTitle));
}

void BoxDialog::Answer(int id) {
    m_timer.Stop();
    if (!m_posted) {
        EndModal(id);
        return;
    }
    if (!IsShown()) return;  // answered already
    ReleaseCascadeStep(m_cascade);
    Hide();
    Notices::Closed closed = std::move(m_closed);
    Destroy();
    if (closed) closed();
}

}  // namespace nuvaro
