#include "conditions/web_source_frm.h"

#include <wx/fontenum.h>
#include <wx/sizer.h>
#include <wx/stc/stc.h>

#include "core/texts.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr int kCaretLineIndicator = 8;  // the first indicator free for containers
constexpr int kEdgeColumn = 80;

// Courier New, or the face made to its measure where it is not installed.
wxFont CodeFont(int pixels) {
    static const wxString face = [] {
        for (const char* name : {"Courier New", "Liberation Mono", "DejaVu Sans Mono"}) {
            if (wxFontEnumerator::IsValidFacename(name)) return wxString(name);
        }
        return wxString("Monospace");
    }();
    return design::PixelFont(face, pixels);
}

}  // namespace

TWebSourceFrm::TWebSourceFrm(const GbkText& title, const GbkText& source)
    : ModalForm(FromGbk(title) + U8(text::kSourceCaptionSuffix), wxSize(714, 602),
                wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX,
                /*outerSize=*/true) {
    SetName("WebSourceFrm");
    m_editor = new wxStyledTextCtrl(this, wxID_ANY);
    m_editor->SetName("SourceEditor");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_editor, 1, wxEXPAND);
    SetSizer(sizer);
    StyleEditor();
    m_editor->SetText(FromGbk(source));
    m_editor->EmptyUndoBuffer();
    m_editor->GotoPos(0);
    m_editor->Bind(wxEVT_STC_UPDATEUI, &TWebSourceFrm::MarkCaretLine, this);
}

void TWebSourceFrm::StyleEditor() {
    wxStyledTextCtrl& e = *m_editor;
    e.StyleSetFont(wxSTC_STYLE_DEFAULT, CodeFont(13));
    e.StyleClearAll();
    e.StyleSetFont(wxSTC_STYLE_LINENUMBER, CodeFont(11));
    e.SetLexer(wxSTC_LEX_HTML);
    const wxColour navy(0, 0, 128), maroon(128, 0, 0), blue(0, 0, 255), gray(128, 128, 128),
        purple(128, 0, 128);
    for (int style : {wxSTC_H_TAG, wxSTC_H_TAGUNKNOWN, wxSTC_H_TAGEND}) {
        e.StyleSetForeground(style, navy);
        e.StyleSetBold(style, true);
    }
    for (int style : {wxSTC_H_ATTRIBUTE, wxSTC_H_ATTRIBUTEUNKNOWN}) {
        e.StyleSetForeground(style, maroon);
    }
    for (int style : {wxSTC_H_DOUBLESTRING, wxSTC_H_SINGLESTRING, wxSTC_H_VALUE, wxSTC_H_NUMBER}) {
        e.StyleSetForeground(style, blue);
    }
    e.StyleSetForeground(wxSTC_H_COMMENT, gray);
    e.StyleSetItalic(wxSTC_H_COMMENT, true);
    e.StyleSetForeground(wxSTC_H_ENTITY, purple);

    // Gutter with line numbers wide enough for six digits.
    e.SetMarginType(0, wxSTC_MARGIN_NUMBER);
    e.SetMarginWidth(0, e.TextWidth(wxSTC_STYLE_LINENUMBER, "_999999"));
    e.SetMarginWidth(1, 0);

    e.SetCaretLineVisible(true);
    e.SetCaretLineVisibleAlways(true);
    e.SetCaretLineBackground(*wxYELLOW);
    e.IndicatorSetStyle(kCaretLineIndicator, wxSTC_INDIC_TEXTFORE);
    e.IndicatorSetForeground(kCaretLineIndicator, navy);

    e.SetEdgeMode(wxSTC_EDGE_LINE);
    e.SetEdgeColumn(kEdgeColumn);
    e.SetEdgeColour(wxColour(192, 192, 192));  // silver
    e.SetWrapMode(wxSTC_WRAP_NONE);
    e.SetUseHorizontalScrollBar(true);
}

// The caret's line is drawn navy on yellow: the background by the editor, the text by an
// indicator that follows the caret.
void TWebSourceFrm::MarkCaretLine(wxStyledTextEvent& event) {
    event.Skip();
    wxStyledTextCtrl& e = *m_editor;
    const int line = e.GetCurrentLine();
    if (line == m_markedLine && !(event.GetUpdated() & wxSTC_UPDATE_CONTENT)) return;
    e.SetIndicatorCurrent(kCaretLineIndicator);
    e.IndicatorClearRange(0, e.GetLength());
    const int start = e.PositionFromLine(line);
    e.IndicatorFillRange(start, e.GetLineEndPosition(line) - start);
    m_markedLine = line;
}

}  // namespace nuvaro
