#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

enum class TScrollDirect { sdLeft, sdRight, sdUp, sdDown };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// Raised each time the text has fully left the area, with the offset after the move. Setting
// `Abort` keeps the text outside and leaves the control inactive.
using TFrameScrolledEvent = std::function<void(TScrollDirect Direct, int CurPos, bool& Abort)>;

struct TextExtent {
    int width = 0;
    int height = 0;
};

// What the scrolling text needs from the control that shows it.
class ScrollPlatform {
  public:
    virtual ~ScrollPlatform() = default;
    // Bounding box of the control's text in its font, laid out from its client area
    // (explicit line breaks start new lines; with `wordWrap` lines also break at its width).
    virtual TextExtent MeasureText(bool wordWrap) = 0;
    // The font's height in pixels; its sign is ignored.
    virtual int FontHeight() = 0;
    virtual int ClientWidth() = 0;
    virtual int ClientHeight() = 0;
    // Starts (period `intervalMs`, first tick one period from now) or stops the step timer.
    virtual void SetTimer(bool running, int intervalMs) = 0;
    virtual void Repaint() = 0;
};

// The state and arithmetic of a marquee: which text, where it stands, how it moves and when it
// comes back in at the opposite edge. Its text is GBK, whose bytes give a floor for the width.
class ScrollModel {
  public:
    explicit ScrollModel(ScrollPlatform& platform) : m_platform(platform) {}

    // Runs the timer as the initial state says (the control calls it once it can).
    void Start() { m_platform.SetTimer(m_active, m_interval); }

    const GbkText& ScrollText() const { return m_text; }
    // Stores, measures, restarts from offset 0 and repaints, even for the same text.
    void SetScrollText(GbkText text);
    // Measures again without moving the text (the font changed).
    void Remeasure();

    bool Active() const { return m_active; }
    void SetActive(bool active);
    int Interval() const { return m_interval; }
    void SetInterval(int ms);
    int Step() const { return m_step; }
    // Accepted only if it differs and is smaller than the client width; returns whether it was.
    bool SetStep(int step);
    TScrollDirect ScrollDirection() const { return m_direction; }
    void SetScrollDirection(TScrollDirect direction);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return m_wordWrap; }

    TFrameScrolledEvent OnFrameScrolled;

    // One scrolling step; the timer calls it.
    void TimerTick();

    int Offset() const { return m_offset; }
    int TextWidth() const { return m_textWidth; }
    int TextHeight() const { return m_textHeight; }

    // (|font height| * GBK bytes of the longest line) div 2: a floor for the measured width.
    static int EstimateWidth(const GbkText& text, int fontHeight);

  private:
    bool Horizontal() const {
        return m_direction == TScrollDirect::sdLeft || m_direction == TScrollDirect::sdRight;
    }
    void Measure();
    // Moves by one step; returns whether the text has now left the area.
    bool Move();
    void Reenter();

    ScrollPlatform& m_platform;
    GbkText m_text;
    bool m_active = true;
    int m_interval = 200;
    int m_step = 5;
    TScrollDirect m_direction = TScrollDirect::sdLeft;
    TAlignment m_alignment = TAlignment::taLeftJustify;
    TTextLayout m_layout = TTextLayout::tlCenter;
    bool m_wordWrap = false;
    bool m_inStep = false;
    int m_offset = 0;
    int m_textWidth = 0;
    int m_textHeight = 0;
};

}  // namespace nuvaro
