#include "ui/controls.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/accessible_name.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {

wxStaticText* MakeLabel(wxWindow* parent, const char* text, int x, int y) {
    auto* label = new wxStaticText(parent, wxID_ANY, U8(text), wxPoint(x, y));
    label->SetFont(design::FormFont());
    return label;
}

wxTextCtrl* MakeEdit(wxWindow* parent, const char* name, const wxRect& r, long style) {
    auto* edit =
        new wxTextCtrl(parent, wxID_ANY, wxEmptyString, r.GetPosition(), r.GetSize(), style);
    edit->SetName(name);
    edit->SetFont(design::FormFont());
    return edit;
}

wxButton* MakeButton(wxWindow* parent, const char* text, const char* name, const wxRect& r) {
    auto* button =
        new wxButton(parent, wxID_ANY, U8(text), r.GetPosition(), r.GetSize(), wxBU_EXACTFIT);
    button->SetName(name);
    button->SetFont(design::FormFont());
    button->SetBackgroundColour(design::FormColour());
    return button;
}

wxCheckBox* MakeCheck(wxWindow* parent, const char* text, const char* name, const wxRect& r,
                      bool captionLeft) {
    auto* check = new wxCheckBox(parent, wxID_ANY, U8(text), r.GetPosition(), r.GetSize(),
                                 captionLeft ? wxALIGN_RIGHT : 0);
    check->SetName(name);
    // With its caption beside it, the box itself has no text a screen reader would read.
    SetAccessibleName(check, U8(text));
    check->SetFont(design::FormFont());
    check->SetBackgroundColour(design::FormColour());
    // The box must stay visible where this desktop draws captions wider than the design.
    int best = check->GetBestSize().x;
    if (best > r.width) check->SetSize(best, r.height);
    return check;
}

void KeepApart(std::initializer_list<wxWindow*> row) {
    constexpr int kGap = 2;
    int right = 0;
    for (wxWindow* control : row) {
        wxRect r = control->GetRect();
        if (r.x < right + kGap && right > 0) control->Move(right + kGap, r.y);
        right = control->GetRect().GetRight() + 1;
    }
}

}  // namespace nuvaro
