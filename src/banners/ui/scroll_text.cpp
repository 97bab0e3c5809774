#include "banners/ui/scroll_text.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>

#include <algorithm>
#include <cmath>

#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

std::vector<wxString> SplitLines(const wxString& text) {
    std::vector<wxString> lines(1);
    for (size_t i = 0; i < text.length(); ++i) {
        wxUniChar c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.length() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// Greedy wrap of one line at `width`: after the last blank that fits, else after the last
// character that fits, at least one character a line.
void Wrap(wxDC& dc, const wxString& line, int width, std::vector<wxString>& out) {
    wxString rest = line;
    while (!rest.empty()) {
        wxArrayInt widths;
        dc.GetPartialTextExtents(rest, widths);
        size_t fit = 0;
        while (fit < rest.length() && widths[fit] <= width) ++fit;
        if (fit >= rest.length()) break;
        fit = std::max<size_t>(fit, 1);
        size_t blank = rest.find_last_of(' ', fit - 1);
        size_t cut = blank != wxString::npos && blank > 0 ? blank + 1 : fit;
        out.push_back(rest.substr(0, cut).Strip(wxString::trailing));
        rest = rest.substr(cut);
    }
    if (!rest.empty()) out.push_back(rest);
}

}  // namespace

wxFont SimSunFont(int pixels) { return design::PixelFont(U8(kSimSunFace), pixels); }

TScrollText::TScrollText(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : m_model(*this), m_timer(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
    SetBackgroundColour(wxColour(0x00, 0x80, 0x00));
    SetForegroundColour(wxColour(0x00, 0xFF, 0xFF));
    wxWindow::SetFont(SimSunFont(12));

    Bind(wxEVT_PAINT, &TScrollText::OnPaint, this);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { m_model.TimerTick(); }, m_timer.GetId());
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
        m_pressed = true;
        e.Skip();
    });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
        m_pressed = false;
        e.Skip();
    });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
        bool click = m_pressed && GetClientRect().Contains(e.GetPosition());
        m_pressed = false;
        e.Skip();
        if (click && m_onClick) m_onClick();
    });
    m_model.SetScrollText({});
    m_model.Start();
}

TScrollText::~TScrollText() { m_timer.Stop(); }

void TScrollText::SetScrollText(const wxString& text) {
    m_text = text;
    m_model.SetScrollText(ToGbk(FromWidget(text)));
}

bool TScrollText::SetFont(const wxFont& font) {
    if (!wxWindow::SetFont(font)) return false;
    m_model.Remeasure();
    return true;
}

TextExtent TScrollText::MeasureText(bool wordWrap) {
    if (m_text.empty()) return {};
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    TextExtent extent;
    for (const wxString& line : LayOut(dc, wordWrap, ClientWidth())) {
        wxCoord w = 0, h = 0;
        dc.GetTextExtent(line.empty() ? wxString(" ") : line, &w, &h);
        if (!line.empty()) extent.width = std::max(extent.width, static_cast<int>(w));
        extent.height += h;
    }
    return extent;
}

int TScrollText::FontHeight() { return design::FontPixelHeight(GetFont()); }
int TScrollText::ClientWidth() { return GetClientSize().GetWidth(); }
int TScrollText::ClientHeight() { return GetClientSize().GetHeight(); }

void TScrollText::SetTimer(bool running, int intervalMs) {
    if (running && intervalMs > 0) {
        m_timer.Start(intervalMs, wxTIMER_CONTINUOUS);
    } else {
        m_timer.Stop();
    }
}

void TScrollText::Repaint() { Refresh(false); }

std::vector<wxString> TScrollText::LayOut(wxDC& dc, bool wrap, int width) const {
    std::vector<wxString> lines = SplitLines(m_text);
    if (!wrap) return lines;
    std::vector<wxString> wrapped;
    for (const wxString& line : lines) {
        if (line.empty()) {
            wrapped.push_back(line);
        } else {
            Wrap(dc, line, std::max(width, 1), wrapped);
        }
    }
    return wrapped;
}

void TScrollText::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (m_text.empty()) return;
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    const wxRect client = GetClientRect();
    wxRect r = client;
    bool horizontal =
        ScrollDirection() == TScrollDirect::sdLeft || ScrollDirection() == TScrollDirect::sdRight;
    // The offset moves the left (or top) side of the text's rectangle.
    if (horizontal) {
        r.x += Offset();
    } else {
        r.y += Offset();
    }
    std::vector<wxString> lines = LayOut(dc, WordWrap(), client.width);
    int lineHeight = dc.GetCharHeight();
    int blockHeight = lineHeight * static_cast<int>(lines.size());
    int y = r.y;
    if (Layout() == TTextLayout::tlCenter) y = r.y + (client.height - blockHeight) / 2;
    if (Layout() == TTextLayout::tlBottom) y = r.y + client.height - blockHeight;
    for (const wxString& line : lines) {
        int x = r.x;
        if (Alignment() != TAlignment::taLeftJustify) {
            int spare = client.GetRight() + 1 - r.x - dc.GetTextExtent(line).GetWidth();
            x += Alignment() == TAlignment::taCenter ? spare / 2 : spare;
        }
        dc.DrawText(line, x, y);
        y += lineHeight;
    }
}

}  // namespace nuvaro
