#pragma once

#include <wx/panel.h>

namespace nuvaro {

// A panel that frames its children like a group box (etched frame, caption in the top edge)
// or a lowered bevel. Children are placed relative to its top-left corner.
class GroupBox : public wxPanel {
  public:
    enum class Frame { Etched, Lowered, Flat, None };

    GroupBox(wxWindow* parent, const wxString& caption, const wxPoint& pos, const wxSize& size,
             Frame frame = Frame::Etched);

  private:
    void OnPaint(wxPaintEvent& event);

    wxString m_caption;
    Frame m_frame;
};

}  // namespace nuvaro
