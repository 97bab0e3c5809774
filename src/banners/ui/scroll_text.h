#pragma once

#include <wx/timer.h>
#include <wx/window.h>

#include <functional>
#include <vector>

#include "banners/scroll_model.h"

class wxDC;

namespace nuvaro {

// The face asked for by name; fontconfig falls back to a font that has the characters.
inline constexpr const char* kSimSunFace = "宋体";

// SimSun with characters `pixels` high.
wxFont SimSunFont(int pixels);

// A marquee drawn like a label: its text moves a few pixels at each tick of its own timer and
// comes back in at the opposite edge once it has left completely.
class TScrollText : public wxWindow, private ScrollPlatform {
  public:
    explicit TScrollText(wxWindow* parent, wxWindowID id = wxID_ANY,
                         const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxSize(200, 17));
    ~TScrollText() override;

    const wxString& ScrollText() const { return m_text; }
    // Restarts the text from the left (top) edge, even when it is the same text.
    void SetScrollText(const wxString& text);

    bool Active() const { return m_model.Active(); }
    void SetActive(bool active) { m_model.SetActive(active); }
    int Interval() const { return m_model.Interval(); }
    void SetInterval(int ms) { m_model.SetInterval(ms); }
    int Step() const { return m_model.Step(); }
    // Ignored unless it differs and is smaller than the client width.
    void SetStep(int step) { m_model.SetStep(step); }
    TScrollDirect ScrollDirection() const { return m_model.ScrollDirection(); }
    void SetScrollDirection(TScrollDirect direction) { m_model.SetScrollDirection(direction); }
    TAlignment Alignment() const { return m_model.Alignment(); }
    void SetAlignment(TAlignment alignment) { m_model.SetAlignment(alignment); }
    TTextLayout Layout() const { return m_model.Layout(); }
    void SetLayout(TTextLayout layout) { m_model.SetLayout(layout); }
    bool WordWrap() const { return m_model.WordWrap(); }

    void SetOnFrameScrolled(TFrameScrolledEvent handler) {
        m_model.OnFrameScrolled = std::move(handler);
    }
    // A left click: button pressed and released over the control.
    void SetOnClick(std::function<void()> handler) { m_onClick = std::move(handler); }

    int Offset() const { return m_model.Offset(); }
    int TextWidth() const { return m_model.TextWidth(); }
    int TextHeight() const { return m_model.TextHeight(); }

    // A new font measures the text again; where it stands does not change.
    bool SetFont(const wxFont& font) override;

    // Like a label, never takes the focus.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

  private:
    TextExtent MeasureText(bool wordWrap) override;
    int FontHeight() override;
    int ClientWidth() override;
    int ClientHeight() override;
    void SetTimer(bool running, int intervalMs) override;
    void Repaint() override;

    // The text's lines in `dc`'s font: explicit breaks, and with `wrap` breaks at `width`.
    std::vector<wxString> LayOut(wxDC& dc, bool wrap, int width) const;
    void OnPaint(wxPaintEvent& event);

    wxString m_text;
    ScrollModel m_model;
    wxTimer m_timer;
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

}  // namespace nuvaro
