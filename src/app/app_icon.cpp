#include "app/app_icon.h"

#include <wx/dcmemory.h>

namespace nuvaro {

wxIcon AppIcon() {
    wxBitmap bitmap(32, 32, 32);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(wxColour(0xAD, 0xB7, 0xEC)));
        dc.Clear();
        dc.SetPen(wxPen(wxColour(0x2B, 0x3A, 0x8C), 2));
        dc.SetBrush(wxBrush(wxColour(0x2B, 0x3A, 0x8C)));
        dc.DrawRoundedRectangle(1, 1, 30, 30, 6);
        // An eye: the page being watched.
        dc.SetPen(wxPen(*wxWHITE, 2));
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawEllipse(5, 10, 22, 12);
        dc.SetBrush(wxBrush(wxColour(0x2B, 0x3A, 0x8C)));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawCircle(16, 16, 4);
    }
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

}  // namespace nuvaro
