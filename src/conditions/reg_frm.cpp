#include "conditions/reg_frm.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "config/tconfig.h"
#include "core/texts.h"
#include "monitor/expression_check.h"
#include "services/notices.h"
#include "services/services.h"
#include "ui/controls.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {

TRegFrm::TRegFrm(TConfig* slot, std::function<void()> saved)
    : ModalForm(U8(text::kConditionCaption), wxSize(475, 188),
                wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_slot(slot),
      m_saved(std::move(saved)) {
    SetName("RegFrm");
    auto* group = new GroupBox(this, U8(text::kConditionGroup), {6, 8}, {457, 121});
    MakeLabel(group, text::kConditionAdvice, 16, 24);
    m_memo = MakeEdit(group, "Memo1", {16, 40, 425, 73}, wxTE_MULTILINE | wxTE_WORDWRAP);
    m_ok = MakeButton(this, text::kOk, "OKBtn",
                      {279, 138, kStandardButtonWidth, kStandardButtonHeight});
    m_cancel = MakeButton(this, text::kCancel, "CancelBtn",
                          {372, 137, kStandardButtonWidth, kStandardButtonHeight});
    m_ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    m_cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

void TRegFrm::FormShow() {
    if (m_slot) m_memo->ChangeValue(ToWidgetLines(m_slot->Regx));
}

// An expression that the matcher cannot use is refused with where it goes wrong; the dialog
// stays open on it, so that the next tick does not fail instead.
void TRegFrm::OkClick() {
    if (!m_slot) return Finish(wxID_OK);
    const std::string expression = FromWidgetLines(m_memo->GetValue());
    const ExpressionProblem problem = CheckExpression(ToGbk(expression));
    if (!problem.message.empty()) {
        const auto at = static_cast<long>(problem.charIndex);
        m_memo->SetFocus();
        m_memo->SetSelection(at, at + 1);
        GetNotices().Box(Notices::Owner::None, problem.message, text::kConditionCaption,
                         Notices::Icon::Error, Notices::Buttons::Ok);
        return;
    }
    m_slot->Regx = expression;
    // A new condition is news again, even when it finds the text notified last.
    CommitSlot(*m_slot, text::kConditionSaved, [this] {
        m_slot->LastMatch.clear();
        if (m_saved) m_saved();
    });
}

void TRegFrm::CancelClick() { Finish(wxID_CANCEL); }

}  // namespace nuvaro
