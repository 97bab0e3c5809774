#include "banners/scroll_model.h"

#include <algorithm>
#include <cstdlib>

namespace nuvaro {

int ScrollModel::EstimateWidth(const GbkText& text, int fontHeight) {
    const std::string_view gbk = text.view();
    size_t longest = 0;
    size_t start = 0;
    while (start <= gbk.size()) {
        size_t end = gbk.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = gbk.size();
        longest = std::max(longest, end - start);
        if (end == gbk.size()) break;
        // CR LF is one break, a lone CR or LF another.
        start = end + (gbk.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    long long estimate =
        static_cast<long long>(std::abs(fontHeight)) * static_cast<long long>(longest) / 2;
    return static_cast<int>(std::min<long long>(estimate, 1 << 30));
}

void ScrollModel::Measure() {
    TextExtent extent = m_platform.MeasureText(m_wordWrap);
    m_textWidth = std::max(extent.width, EstimateWidth(m_text, m_platform.FontHeight()));
    m_textHeight = extent.height;
}

void ScrollModel::SetScrollText(GbkText text) {
    m_text = std::move(text);
    Measure();
    m_offset = 0;
    m_platform.Repaint();
}

void ScrollModel::Remeasure() {
    Measure();
    m_platform.Repaint();
}

void ScrollModel::SetActive(bool active) {
    if (active == m_active) return;
    m_active = active;
    m_platform.SetTimer(m_active, m_interval);
}

void ScrollModel::SetInterval(int ms) {
    if (ms == m_interval) return;
    m_interval = ms;
    if (m_active) m_platform.SetTimer(true, m_interval);
}

bool ScrollModel::SetStep(int step) {
    if (step == m_step || step >= m_platform.ClientWidth()) return false;
    m_step = step;
    return true;
}

void ScrollModel::SetScrollDirection(TScrollDirect direction) {
    if (direction == m_direction) return;
    m_direction = direction;
    if (Horizontal()) {
        m_wordWrap = false;
        m_alignment = TAlignment::taLeftJustify;
    } else {
        m_wordWrap = true;
        m_layout = TTextLayout::tlTop;
    }
    SetScrollText(m_text);
}

void ScrollModel::SetAlignment(TAlignment alignment) {
    if (alignment == m_alignment) return;
    m_alignment = Horizontal() ? TAlignment::taLeftJustify : alignment;
    m_platform.Repaint();
}

void ScrollModel::SetLayout(TTextLayout layout) {
    if (layout == m_layout) return;
    m_layout = Horizontal() ? layout : TTextLayout::tlTop;
    m_platform.Repaint();
}

bool ScrollModel::Move() {
    switch (m_direction) {
        case TScrollDirect::sdLeft:
            m_offset -= m_step;
            return m_offset < 0 && -m_offset > m_textWidth;
        case TScrollDirect::sdRight:
            m_offset += m_step;
            return m_offset > 0 && m_offset > m_platform.ClientWidth();
        case TScrollDirect::sdUp:
            m_offset -= m_step;
            return m_offset < 0 && -m_offset > m_textHeight;
        case TScrollDirect::sdDown:
            m_offset += m_step;
            return m_offset > 0 && m_offset > m_platform.ClientHeight();
    }
    return false;
}

void ScrollModel::Reenter() {
    switch (m_direction) {
        case TScrollDirect::sdLeft:
            m_offset = m_platform.ClientWidth() - 1;
            break;
        case TScrollDirect::sdRight:
            m_offset = 1 - m_textWidth;
            break;
        case TScrollDirect::sdUp:
            m_offset = m_platform.ClientHeight() - 1;
            break;
        case TScrollDirect::sdDown:
            m_offset = 1 - m_textHeight;
            break;
    }
}

void ScrollModel::TimerTick() {
    if (m_step == 0 || m_inStep) return;
    // The timer stays off while the step (and its handler, which may open a modal box that
    // keeps dispatching timer events) runs, so steps never overlap.
    m_inStep = true;
    struct StepEnd {
        bool& inStep;
        ~StepEnd() { inStep = false; }
    } stepEnd{m_inStep};
    SetActive(false);
    bool abort = false;
    if (Move()) {
        if (OnFrameScrolled) OnFrameScrolled(m_direction, m_offset, abort);
        if (!abort) Reenter();
    }
    m_platform.Repaint();
    if (!abort) SetActive(true);
}

}  // namespace nuvaro
