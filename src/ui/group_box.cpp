#include "ui/group_box.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "ui/accessible_name.h"
#include "ui/design.h"

namespace nuvaro {

GroupBox::GroupBox(wxWindow* parent, const wxString& caption, const wxPoint& pos,
                   const wxSize& size, Frame frame)
    : wxPanel(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL | wxFULL_REPAINT_ON_RESIZE),
      m_caption(caption),
      m_frame(frame) {
    SetBackgroundColour(design::FormColour());
    SetFont(design::FormFont());
    SetLabel(caption);
    if (!caption.empty()) SetAccessibleName(this, caption);
    Bind(wxEVT_PAINT, &GroupBox::OnPaint, this);
}

void GroupBox::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    const wxColour light = *wxWHITE;
    if (m_frame == Frame::None) return;
    if (m_frame == Frame::Flat) {
        dc.SetPen(wxPen(shadow));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(0, 0, size.x, size.y);
        return;
    }
    if (m_frame == Frame::Lowered) {
        dc.SetPen(wxPen(shadow));
        dc.DrawLine(0, 0, size.x - 1, 0);
        dc.DrawLine(0, 0, 0, size.y - 1);
        dc.SetPen(wxPen(light));
        dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
        dc.DrawLine(size.x - 1, 0, size.x - 1, size.y);
        return;
    }
    dc.SetFont(GetFont());
    const int textHeight = dc.GetCharHeight();
    const int top = m_caption.empty() ? 0 : textHeight / 2;
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(shadow));
    dc.DrawRectangle(0, top, size.x - 1, size.y - top - 1);
    dc.SetPen(wxPen(light));
    dc.DrawRectangle(1, top + 1, size.x - 1, size.y - top - 1);
    if (!m_caption.empty()) {
        const wxSize extent = dc.GetTextExtent(m_caption);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(GetBackgroundColour()));
        dc.DrawRectangle(6, 0, extent.x + 4, extent.y);
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText(m_caption, 8, 0);
    }
}

}  // namespace nuvaro
