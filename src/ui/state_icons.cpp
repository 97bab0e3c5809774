#include "ui/state_icons.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/imaglist.h>

#include <memory>

namespace nuvaro {
namespace {

constexpr int kSize = 16;

enum class Mark { None, Bar, Dot };

wxBitmap Icon(const wxColour& fill, Mark mark) {
    wxImage image(kSize, kSize);
    image.InitAlpha();
    for (int x = 0; x < kSize; ++x) {
        for (int y = 0; y < kSize; ++y) image.SetAlpha(x, y, 0);
    }
    wxBitmap bitmap(image, 32);
    wxMemoryDC dc(bitmap);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc) {
        gc->SetPen(wxPen(fill.ChangeLightness(70), 1));
        gc->SetBrush(wxBrush(fill));
        gc->DrawEllipse(2.5, 2.5, 11, 11);
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(*wxWHITE_BRUSH);
        if (mark == Mark::Bar) gc->DrawRectangle(5, 7, 6, 2);
        if (mark == Mark::Dot) gc->DrawEllipse(6, 6, 4, 4);
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

}  // namespace

wxImageList* MakeStateIcons() {
    auto* list = new wxImageList(kSize, kSize, true, 4);
    list->Add(Icon(wxColour(150, 150, 150), Mark::None));  // stopped
    list->Add(Icon(wxColour(46, 160, 67), Mark::None));    // monitoring
    list->Add(Icon(wxColour(211, 47, 47), Mark::Bar));     // failed
    list->Add(Icon(wxColour(245, 124, 0), Mark::Dot));     // change not seen yet
    return list;
}

}  // namespace nuvaro
