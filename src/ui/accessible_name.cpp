#include "ui/accessible_name.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <map>

namespace nuvaro {
namespace {

std::function<void(wxWindow*, const wxString&)>& Namer() {
    static std::function<void(wxWindow*, const wxString&)> namer;
    return namer;
}

// Controls named so far (the toolkit's own name of a control is its design name).
std::map<const wxWindow*, wxString>& Names() {
    static std::map<const wxWindow*, wxString> names;
    return names;
}

wxString WithoutColon(wxString text) {
    text.Trim();
    while (text.EndsWith(wxString::FromUTF8("：")) || text.EndsWith(":")) text.RemoveLast();
    return text.Trim();
}

bool NeedsLabel(const wxWindow* control) {
    return wxDynamicCast(control, wxTextCtrl) || wxDynamicCast(control, wxChoice) ||
           wxDynamicCast(control, wxComboBox);
}

// The label in front: the nearest one left of the control on its row, else the nearest one
// above it.
wxStaticText* LabelBefore(wxWindow* control) {
    const wxRect at = control->GetRect();
    wxStaticText* left = nullptr;
    wxStaticText* above = nullptr;
    for (wxWindow* sibling : control->GetParent()->GetChildren()) {
        auto* label = wxDynamicCast(sibling, wxStaticText);
        if (!label || WithoutColon(label->GetLabel()).empty()) continue;
        const wxRect r = label->GetRect();
        if (r.y < at.GetBottom() && r.GetBottom() > at.y && r.x < at.x) {
            if (!left || r.x > left->GetRect().x) left = label;
        } else if (r.GetBottom() <= at.y + 2 && r.x <= at.x + 8 && r.x + 8 >= at.x) {
            if (!above || r.y > above->GetRect().y) above = label;
        }
    }
    return left ? left : above;
}

}  // namespace

void SetAccessibleName(wxWindow* control, const wxString& name) {
    const wxString clean = WithoutColon(name);
    Names()[control] = clean;
    control->Bind(wxEVT_DESTROY, [control](wxWindowDestroyEvent& e) {
        if (e.GetEventObject() == control) Names().erase(control);
        e.Skip();
    });
    if (Namer()) Namer()(control, clean);
}

void NameControlsByLabels(wxWindow* top) {
    for (wxWindow* child : top->GetChildren()) {
        if (Names().count(child) == 0 && NeedsLabel(child)) {
            if (wxStaticText* label = LabelBefore(child))
                SetAccessibleName(child, label->GetLabel());
        }
        NameControlsByLabels(child);
    }
}

void SetAccessibleNamer(std::function<void(wxWindow*, const wxString&)> namer) {
    Namer() = std::move(namer);
}

wxString AccessibleNameOf(const wxWindow* control) {
    auto it = Names().find(control);
    return it != Names().end() ? it->second : control->GetName();
}

}  // namespace nuvaro
