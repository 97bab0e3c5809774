#include "ui/design.h"

#include <wx/dcscreen.h>
#include <wx/fontenum.h>
#include <wx/settings.h>

#include <cmath>

namespace nuvaro::design {

// 宋体 where it is installed; elsewhere a Chinese face that is, so Latin and Chinese text
// share one look instead of mixing serif and sans fallbacks.
static wxString FaceName() {
    static const wxString face = [] {
        for (const char* name : {"SimSun", "NSimSun", "Noto Sans CJK SC", "WenQuanYi Zen Hei",
                                 "WenQuanYi Micro Hei"}) {
            if (wxFontEnumerator::IsValidFacename(name)) return wxString(name);
        }
        return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
    }();
    return face;
}

wxFont FormFont() { return wxFont(wxFontInfo(9).FaceName(FaceName())); }

}  // namespace nuvaro::design

namespace nuvaro::design {
namespace {

double ScreenPpi() {
    int ppi = wxScreenDC().GetPPI().GetHeight();
    return ppi > 0 ? ppi : 96;
}

}  // namespace

wxFont PixelFont(const wxString& face, int pixels) {
    return wxFont(wxFontInfo(pixels * 72.0 / ScreenPpi()).FaceName(face));
}

int FontPixelHeight(const wxFont& font) {
    return static_cast<int>(std::lround(font.GetFractionalPointSize() * ScreenPpi() / 72.0));
}

}  // namespace nuvaro::design
