#pragma once

#include <wx/gdicmn.h>

#include <initializer_list>

class wxButton;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

namespace nuvaro {

// Controls at fixed pixel positions in the program's font and colours. Texts are the
// program's UTF-8 literals; `name` is the control's name in the design.
wxStaticText* MakeLabel(wxWindow* parent, const char* text, int x, int y);
wxTextCtrl* MakeEdit(wxWindow* parent, const char* name, const wxRect& r, long style = 0);
wxButton* MakeButton(wxWindow* parent, const char* text, const char* name, const wxRect& r);
// A check box with its caption left of the box unless told otherwise.
wxCheckBox* MakeCheck(wxWindow* parent, const char* text, const char* name, const wxRect& r,
                      bool captionLeft = true);

// Controls of one row, left to right, never overlap: where this desktop's font draws a caption
// wider than the design allows, the controls after it move right as far as needed.
void KeepApart(std::initializer_list<wxWindow*> row);

// A button whose size the design leaves at the standard one.
inline constexpr int kStandardButtonWidth = 75, kStandardButtonHeight = 25;

}  // namespace nuvaro
