#include "conditions/reg_frm.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include <cstdio>

#include "config/tconfig.h"
#include "core/condition_texts.h"
#include "core/texts.h"
#include "monitor/expression_check.h"
#include "services/notices.h"
#include "services/page_source.h"
#include "services/services.h"
#include "ui/controls.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

// The rules as the slot keeps them, in the order of the choice.
constexpr const char* kRuleKeys[] = {"", "below", "above", "drop", "rise"};

wxChoice* MakeChoice(wxWindow* parent, const char* name, const wxRect& r,
                     std::initializer_list<const char*> items) {
    auto* choice = new wxChoice(parent, wxID_ANY, r.GetPosition(), r.GetSize());
    choice->SetName(name);
    for (const char* item : items) choice->Append(U8(item));
    choice->SetSelection(0);
    return choice;
}

}  // namespace

TRegFrm::TRegFrm(TConfig* slot, std::function<void()> saved, PageSource* page)
    : ModalForm(U8(text::kConditionCaption), wxSize(475, 370),
                wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_slot(slot),
      m_saved(std::move(saved)),
      m_page(page) {
    SetName("RegFrm");
    auto* group = new GroupBox(this, U8(text::kConditionGroup), {6, 8}, {457, 121});
    MakeLabel(group, text::kConditionAdvice, 16, 24);
    m_memo = MakeEdit(group, "Memo1", {16, 40, 425, 73}, wxTE_MULTILINE | wxTE_WORDWRAP);
    MakeFields();
    m_try = MakeButton(this, text::kTryButton, "TryBtn",
                       {16, 226, kStandardButtonWidth, kStandardButtonHeight});
    m_ok = MakeButton(this, text::kOk, "OKBtn",
                      {279, 226, kStandardButtonWidth, kStandardButtonHeight});
    m_cancel = MakeButton(this, text::kCancel, "CancelBtn",
                          {372, 226, kStandardButtonWidth, kStandardButtonHeight});
    m_trial = MakeEdit(this, "TrialText", {6, 258, 457, 104},
                       wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    m_ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    m_cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
    m_try->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { TryClick(); }); });
    m_readTimer.SetOwner(this);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { ReadTimedOut(); }, m_readTimer.GetId());
}

TRegFrm::~TRegFrm() { *m_alive = false; }

// Below the group: the rule and its number, what is read, the selector, the ignored parts.
void TRegFrm::MakeFields() {
    MakeLabel(this, text::kRuleLabel, 10, 140);
    m_rule = MakeChoice(
        this, "RuleChoice", {40, 132, 80, 30},
        {text::kRuleAny, text::kRuleBelow, text::kRuleAbove, text::kRuleDrop, text::kRuleRise});
    MakeLabel(this, text::kValueLabel, 132, 140);
    m_value = MakeEdit(this, "ValueEdit", {162, 136, 90, 21});
    MakeLabel(this, text::kReadLabel, 266, 140);
    m_read =
        MakeChoice(this, "ReadChoice", {296, 132, 167, 30}, {text::kReadMarkup, text::kReadText});
    MakeLabel(this, text::kSelectorLabel, 10, 171);
    m_selector = MakeEdit(this, "SelectorEdit", {40, 167, 423, 21});
    MakeLabel(this, text::kIgnoreLabel, 10, 200);
    m_ignore = MakeEdit(this, "IgnoreEdit", {40, 196, 423, 21});
}

void TRegFrm::FormShow() {
    if (m_slot) ShowFields(*m_slot);
}

void TRegFrm::ShowFields(const TConfig& slot) {
    m_memo->ChangeValue(ToWidgetLines(slot.Regx));
    for (int i = 0; i < static_cast<int>(std::size(kRuleKeys)); ++i) {
        if (slot.NumRule == kRuleKeys[i]) m_rule->SetSelection(i);
    }
    m_value->ChangeValue(ToWidget(slot.NumValue));
    m_read->SetSelection(slot.TextMode == "text" ? 1 : 0);
    m_selector->ChangeValue(ToWidget(slot.Selector));
    m_ignore->ChangeValue(ToWidget(slot.Ignore));
}

ConditionFields TRegFrm::Fields() const {
    ConditionFields f;
    f.Regx = FromWidgetLines(m_memo->GetValue());
    f.RegGrp = m_slot ? m_slot->RegGrp : "";
    const int rule = m_rule->GetSelection();
    f.NumRule = rule > 0 && rule < static_cast<int>(std::size(kRuleKeys)) ? kRuleKeys[rule] : "";
    f.NumValue = FromWidget(m_value->GetValue());
    f.TextMode = m_read->GetSelection() == 1 ? "text" : "";
    f.Selector = FromWidget(m_selector->GetValue());
    f.Ignore = FromWidget(m_ignore->GetValue());
    return f;
}

// A box naming the field and the reason; the field gets the focus; nothing is saved.
bool TRegFrm::Refuse(const char* label, const std::string& reason, wxWindow* field) {
    char head[128];
    std::snprintf(head, sizeof head, text::kFieldRefused, label);
    if (field) field->SetFocus();
    GetNotices().Box(Notices::Owner::None, head + reason, text::kConditionCaption,
                     Notices::Icon::Error, Notices::Buttons::Ok);
    return false;
}

// An expression that the matcher cannot use is refused with where it goes wrong, and so is a
// field of the rule, the ignored parts or a selector the page's engine refuses; the dialog stays
// open on it, so that the next tick does not fail instead.
void TRegFrm::OkClick() {
    if (!m_slot) return Finish(wxID_OK);
    if (m_reading) return;
    const ConditionFields fields = Fields();
    const ExpressionProblem problem = CheckExpression(ToGbk(fields.Regx));
    if (!problem.message.empty()) {
        const auto at = static_cast<long>(problem.charIndex);
        m_memo->SetFocus();
        m_memo->SetSelection(at, at + 1);
        GetNotices().Box(Notices::Owner::None, problem.message, text::kConditionCaption,
                         Notices::Icon::Error, Notices::Buttons::Ok);
        return;
    }
    if (auto bad = CheckFields(fields)) {
        wxWindow* field = bad->label == text::kRuleLabel    ? static_cast<wxWindow*>(m_rule)
                          : bad->label == text::kValueLabel ? m_value
                                                            : m_ignore;
        Refuse(bad->label, bad->reason, field);
        return;
    }
    if (fields.Selector.empty() || !m_page || m_page->LocationURL().empty()) return Save(fields);
    AskPage(fields, [this](const ConditionFields& asked, const PageContent& page) {
        if (!page.selectorError.empty()) {
            Refuse(text::kSelectorLabel, page.selectorError, m_selector);
            return;
        }
        Save(asked);
    });
}

void TRegFrm::Save(const ConditionFields& f) {
    m_slot->Regx = f.Regx;
    m_slot->NumRule = f.NumRule;
    m_slot->NumValue = f.NumRule.empty() ? "" : f.NumValue;
    m_slot->TextMode = f.TextMode;
    m_slot->Selector = f.Selector;
    m_slot->Ignore = f.Ignore;
    // A new condition is news again, even when it finds the text notified last; what its rule
    // remembered is forgotten with it.
    CommitSlot(*m_slot, text::kConditionSaved, [this] {
        m_slot->LastMatch.clear();
        if (m_saved) m_saved();
    });
}

void TRegFrm::CancelClick() { Finish(wxID_CANCEL); }

// Reads the page as it stands in the window (no reload) and shows what the condition makes of
// it; nothing is sent, logged or remembered.
void TRegFrm::TryClick() {
    if (m_reading) return;
    if (!m_page || m_page->LocationURL().empty()) {
        m_trial->ChangeValue(U8(text::kTryVerdict) + U8(text::kNoDocument));
        return;
    }
    m_trial->ChangeValue(wxString());
    AskPage(Fields(), [this](const ConditionFields& asked, const PageContent& page) {
        m_trial->ChangeValue(ToWidget(TrialReport(TryCondition(asked, page))));
    });
}

// One read of the window's page at a time; the answer is dropped when the dialog is gone or
// gave up waiting for it.
void TRegFrm::AskPage(const ConditionFields& fields,
                      std::function<void(const ConditionFields&, const PageContent&)> answer) {
    m_reading = true;
    m_try->Enable(false);
    m_ok->Enable(false);
    const int serial = ++m_readSerial;
    m_readTimer.StartOnce(static_cast<int>(m_readTimeout.count()));
    m_page->ReadPageAs(fields.Query(), [this, alive = std::weak_ptr<bool>(m_alive), fields, serial,
                                        answer = std::move(answer)](const PageContent& page) {
        auto live = alive.lock();
        if (!live || !*live || serial != m_readSerial) return;
        EndRead();
        Guarded([&] { answer(fields, page); });
    });
}

void TRegFrm::EndRead() {
    m_readTimer.Stop();
    m_reading = false;
    m_try->Enable(true);
    m_ok->Enable(true);
}

// A page that does not answer leaves the dialog usable: the read is given up on.
void TRegFrm::ReadTimedOut() {
    if (!m_reading) return;
    ++m_readSerial;
    EndRead();
    m_trial->ChangeValue(U8(text::kTryVerdict) + U8(text::kTryTimedOut));
}

}  // namespace nuvaro
