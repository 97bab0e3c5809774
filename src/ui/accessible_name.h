#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

namespace nuvaro {

// What a screen reader calls a control. The toolkit names a check box by its own caption, but
// not one whose caption stands beside the box (caption left), nor an edit by the label in
// front of it; these get the caption's or label's text, without its closing colon.
void SetAccessibleName(wxWindow* control, const wxString& name);

// Names every edit, choice and check box below `top` that has no accessible name yet after the
// label in front of it: the nearest earlier sibling label to its left on its row, or above it.
void NameControlsByLabels(wxWindow* top);

// How this desktop hands a name to its accessibility layer (set once at start); without one,
// only the toolkit's name of the control is set.
void SetAccessibleNamer(std::function<void(wxWindow*, const wxString&)> namer);

// The name given last (the toolkit's name of the control when none was given).
wxString AccessibleNameOf(const wxWindow* control);

}  // namespace nuvaro
