#include "app/app_icon.h"

#include <wx/dcmemory.h>

namespace nuvaro {
namespace {

// A disc in the lower right corner with a white ring, so it stands out on any panel.
void DrawMark(wxDC& dc, TrayMark mark) {
    if (mark == TrayMark::AllWell) return;
    const bool failing = mark == TrayMark::Failing;
    dc.SetPen(wxPen(*wxWHITE, 2));
    dc.SetBrush(wxBrush(failing ? wxColour(211, 47, 47) : wxColour(245, 124, 0)));
    dc.DrawCircle(23, 23, 8);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    if (failing) {
        dc.DrawRectangle(22, 17, 3, 8);  // "!"
        dc.DrawRectangle(22, 27, 3, 3);
    } else {
        dc.DrawCircle(23, 23, 3);
    }
}

}  // namespace

wxIcon AppIcon(TrayMark mark) {
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
        DrawMark(dc, mark);
    }
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

}  // namespace nuvaro
