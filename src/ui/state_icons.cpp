#include "ui/state_icons.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/imaglist.h>

#include <memory>

#include "monitor/window_status_text.h"

namespace nuvaro {
namespace {

constexpr int kSize = 16;

// Stopped: a grey square, the stop sign. Running: a green disc with a white triangle, play.
void DrawBase(wxGraphicsContext& gc, bool running) {
    if (running) {
        const wxColour green(46, 160, 67);
        gc.SetPen(wxPen(green.ChangeLightness(70), 1));
        gc.SetBrush(wxBrush(green));
        gc.DrawEllipse(1.5, 1.5, 12, 12);
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(*wxWHITE_BRUSH);
        wxGraphicsPath play = gc.CreatePath();
        play.MoveToPoint(5.5, 4.5);
        play.AddLineToPoint(11, 7.5);
        play.AddLineToPoint(5.5, 10.5);
        play.CloseSubpath();
        gc.FillPath(play);
    } else {
        const wxColour grey(140, 140, 140);
        gc.SetPen(wxPen(grey.ChangeLightness(70), 1));
        gc.SetBrush(wxBrush(grey));
        gc.DrawRoundedRectangle(2.5, 2.5, 10, 10, 1.5);
    }
}

// A small disc with a white ring at (x, y), the top left of its box.
void DrawBadge(wxGraphicsContext& gc, double x, double y, const wxColour& fill) {
    gc.SetPen(wxPen(*wxWHITE, 1));
    gc.SetBrush(wxBrush(fill));
    gc.DrawEllipse(x, y, 7, 7);
}

wxBitmap Icon(const TabLook& look) {
    wxImage image(kSize, kSize);
    image.InitAlpha();
    for (int x = 0; x < kSize; ++x) {
        for (int y = 0; y < kSize; ++y) image.SetAlpha(x, y, 0);
    }
    wxBitmap bitmap(image, 32);
    wxMemoryDC dc(bitmap);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc) {
        DrawBase(*gc, look.running);
        if (look.unseenChange) DrawBadge(*gc, 8.5, 0.5, wxColour(245, 124, 0));
        if (look.failed) {
            DrawBadge(*gc, 8.5, 8.5, wxColour(211, 47, 47));
            gc->SetPen(*wxTRANSPARENT_PEN);
            gc->SetBrush(*wxWHITE_BRUSH);
            gc->DrawRectangle(11.5, 10, 1, 2.5);  // "!"
            gc->DrawRectangle(11.5, 13, 1, 1);
        }
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

}  // namespace

wxImageList* MakeStateIcons() {
    auto* list = new wxImageList(kSize, kSize, true, kTabIcons);
    for (int running = 0; running < 2; ++running) {
        for (int mark = 0; mark < 4; ++mark) {
            const TabLook look{running == 1, (mark & 2) != 0, (mark & 1) != 0};
            list->Add(Icon(look));  // in the order of TabIconIndex
        }
    }
    return list;
}

}  // namespace nuvaro
