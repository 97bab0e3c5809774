#pragma once

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/gdicmn.h>

namespace nuvaro::design {

// Colours of the layout (Windows colour values, red in the low byte).
inline wxColour FormColour() { return wxColour(0xD4, 0xD9, 0xEF); }   // 15718868
inline wxColour StripColour() { return wxColour(0xAD, 0xB7, 0xEC); }  // 15513517

// One font throughout: 宋体, 9 points (12 pixels on a 96 dpi screen).
wxFont FormFont();

// A font whose characters are `pixels` high on this screen, as a Windows font height names
// them (wx's pixel size would count the whole line, a fifth more).
wxFont PixelFont(const wxString& face, int pixels);
// The character height in pixels of a font made by PixelFont.
int FontPixelHeight(const wxFont& font);

// Main window: outer position and size, client area below the menu.
inline constexpr int kLeft = 188, kTop = 133, kWidth = 804, kHeight = 579;
inline constexpr int kClientWidth = 796, kClientHeight = 530;
inline constexpr int kTopStripHeight = 26, kBottomStripHeight = 17;

}  // namespace nuvaro::design
