#include "notify/ui/snm_set_frm.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/setup_texts.h"
#include "core/text_cut.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "services/notices.h"
#include "services/services.h"
#include "ui/controls.h"
#include "ui/design.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr const char* kDomesticCode = "+86";
// Listed beside the text: each entry is the placeholder, a blank and what it stands for.
constexpr const char* kPlaceholders[] = {text::kPlaceholderName,     text::kPlaceholderFound,
                                         text::kPlaceholderPrevious, text::kPlaceholderValue,
                                         text::kPlaceholderUrl,      text::kPlaceholderTime,
                                         text::kPlaceholderSlot};
// How much of the last found text the preview carries.
constexpr size_t kPreviewPreviousChars = 200;

wxRect StandardButton(int x, int y) { return {x, y, kStandardButtonWidth, kStandardButtonHeight}; }

template <typename Tag, typename Handler>
void OnClick(wxWindow* control, const Tag& type, Handler handler) {
    control->Bind(type, [handler](wxCommandEvent&) { Guarded(handler); });
}

}  // namespace

TSNMSetFrm::TSNMSetFrm(TConfig* slot, NotifyDispatcher& dispatcher)
    : ModalForm(U8(text::kRecipientsCaption), wxSize(460, 594),
                wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_slot(slot),
      m_dispatcher(dispatcher) {
    SetName("SNMSetFrm");
    BuildMessageGroup();
    BuildOtherGroup();

    OnClick(DomesticRadio, wxEVT_RADIOBUTTON, [this] { DomesticClick(); });
    OnClick(OverseasRadio, wxEVT_RADIOBUTTON, [this] { OverseasClick(); });
    OnClick(SmsTestButton, wxEVT_BUTTON, [this] { SmsTestClick(); });
    OnClick(EmailTestButton, wxEVT_BUTTON, [this] { EmailTestClick(); });
    OnClick(SaveNoticeButton, wxEVT_BUTTON, [this] { SaveNoticeClick(); });
    OnClick(CancelButton, wxEVT_BUTTON, [this] { CancelClick(); });
    OnClick(cancel, wxEVT_BUTTON, [this] { CancelClick(); });
    OnClick(BrowseProgramButton, wxEVT_BUTTON, [this] { BrowseProgramClick(); });
    OnClick(SaveProgramButton, wxEVT_BUTTON, [this] { SaveProgramClick(); });
    OnClick(ProgramTestButton, wxEVT_BUTTON, [this] { ProgramTestClick(); });
    OnClick(PlaceholderList, wxEVT_LISTBOX_DCLICK, [this] { PlaceholderClick(); });
    OnClick(SmsBody, wxEVT_TEXT, [this] { UpdatePreview(); });
}

// "短信与邮件设定": numbers with their country code, the address, the text below it.
void TSNMSetFrm::BuildMessageGroup() {
    auto* group = new GroupBox(this, U8(text::kMessageGroup), {8, 6}, {444, 152});
    MakeLabel(group, text::kMobileLabel, 12, 24);
    MakeLabel(group, text::kMobileAdvice, 116, 24);
    DomesticRadio = new wxRadioButton(group, wxID_ANY, U8(text::kDomestic), wxPoint(12, 47),
                                      wxDefaultSize, wxRB_GROUP);
    OverseasRadio = new wxRadioButton(group, wxID_ANY, U8(text::kOverseas), wxPoint(62, 47));
    for (wxRadioButton* radio : {DomesticRadio, OverseasRadio}) radio->SetFont(GetFont());
    DomesticRadio->SetValue(true);
    CountryCodeEdit = MakeEdit(group, "CountryCodeEdit", {116, 45, 52, 21});
    CountryCodeEdit->ChangeValue(kDomesticCode);
    MobileEdit = MakeEdit(group, "MobileEdit", {174, 45, 168, 21});
    SmsTestButton = MakeButton(group, text::kSmsTest, "SmsTestButton", {350, 44, 84, 23});

    MakeLabel(group, text::kAddressToNotify, 12, 78);
    MailToEdit = MakeEdit(group, "MailToEdit", {12, 96, 330, 21});
    EmailTestButton = MakeButton(group, text::kEmailTest, "EmailTestButton", {350, 95, 84, 23});

    MakeLabel(group, text::kBodyLabel, 12, 128);
    MakeLabel(group, text::kBodyAdvice, 100, 128);

    SmsBody = MakeEdit(this, "SmsBody", {8, 164, 290, 188}, wxTE_MULTILINE | wxTE_WORDWRAP);
    BuildPlaceholders();
    MakeLabel(this, text::kBodyLengthAdvice, 8, 384);
    SaveNoticeButton = MakeButton(this, text::kOk, "SaveNoticeButton", StandardButton(296, 378));
    CancelButton = MakeButton(this, text::kCancel, "CancelButton", StandardButton(377, 378));
}

// The placeholders beside the text, the preview below it.
void TSNMSetFrm::BuildPlaceholders() {
    MakeLabel(this, text::kPlaceholdersLabel, 304, 164);
    wxArrayString entries;
    for (const char* entry : kPlaceholders) entries.Add(U8(entry));
    PlaceholderList =
        new wxListBox(this, wxID_ANY, wxPoint(304, 182), wxSize(148, 170), entries, wxLB_SINGLE);
    PlaceholderList->SetName("PlaceholderList");
    PlaceholderList->SetFont(design::FormFont());
    Preview = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(8, 358), wxSize(444, 20),
                               wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    Preview->SetName("Preview");
    Preview->SetFont(design::FormFont());
}

// "其它通知方式设定": the local program and its parameters.
void TSNMSetFrm::BuildOtherGroup() {
    auto* group = new GroupBox(this, U8(text::kOtherGroup), {8, 414}, {444, 172});
    MakeLabel(group, text::kLocalProgramLabel, 12, 28);
    ProgramEdit = MakeEdit(group, "ProgramEdit", {80, 25, 262, 21});
    BrowseProgramButton =
        MakeButton(group, text::kBrowse, "BrowseProgramButton", {350, 24, 84, 23});
    MakeLabel(group, text::kParametersLabel, 12, 62);
    ParametersEdit = MakeEdit(group, "ParametersEdit", {80, 59, 262, 21});
    ProgramTestButton = MakeButton(group, text::kTest, "ProgramTestButton", {350, 58, 84, 23});
    MakeLabel(group, text::kOtherAdvice, 12, 96);
    SaveProgramButton = MakeButton(group, text::kOk, "SaveProgramButton", StandardButton(278, 130));
    cancel = MakeButton(group, text::kCancel, "cancel", StandardButton(359, 130));
}

void TSNMSetFrm::FormShow() {
    if (!m_slot) return;
    MailToEdit->ChangeValue(ToWidget(m_slot->ToMail));
    MobileEdit->ChangeValue(ToWidget(m_slot->Mobile));
    // A window never given a text is offered one that says what changed.
    const bool fresh = m_slot->SmsBody.empty() && m_slot->Body.empty();
    SmsBody->ChangeValue(fresh ? U8(text::kDefaultNoticeText) : ToWidgetLines(m_slot->SmsBody));
    CountryCodeEdit->ChangeValue(ToWidget(m_slot->Contry));
    ProgramEdit->ChangeValue(ToWidget(m_slot->OtherProgram));
    ParametersEdit->ChangeValue(ToWidget(m_slot->OtherStr));
    if (CountryCodeEdit->GetValue() == kDomesticCode) {
        DomesticRadio->SetValue(true);
    } else {
        OverseasRadio->SetValue(true);
        OverseasClick();
    }
    UpdatePreview();
}

void TSNMSetFrm::DomesticClick() {
    if (DomesticRadio->GetValue()) CountryCodeEdit->ChangeValue(kDomesticCode);
}

void TSNMSetFrm::OverseasClick() {
    if (OverseasRadio->GetValue() && m_slot) CountryCodeEdit->ChangeValue(ToWidget(m_slot->Contry));
}

void TSNMSetFrm::SmsTestClick() {
    SendSMSToTest(SmsTestRecord(
        ToGbk(FromWidget(MailToEdit->GetValue())), ToGbk(FromWidgetLines(SmsBody->GetValue())),
        ToGbk(FromWidget(MobileEdit->GetValue())), ToGbk(FromWidget(CountryCodeEdit->GetValue()))));
}

void TSNMSetFrm::EmailTestClick() {
    SendEmailTest(EmailTestRecord(
        ToGbk(FromWidget(MailToEdit->GetValue())), ToGbk(FromWidgetLines(SmsBody->GetValue())),
        ToGbk(FromWidget(MobileEdit->GetValue())), ToGbk(FromWidget(CountryCodeEdit->GetValue()))));
}

void TSNMSetFrm::SendSMSToTest(const GbkText& record) {
    m_dispatcher.SendSMSToTest(record, TestFacts());
}

void TSNMSetFrm::SendEmailTest(const GbkText& record) {
    m_dispatcher.SendEmailTest(record, TestFacts());
}

// The placeholders of a test: the window's own values, the time now, nothing found.
NoticeFacts TSNMSetFrm::TestFacts() const {
    if (!m_slot) return {{}, {}, {}, NowText(), "", {}};
    return {{}, ToGbk(m_slot->WindowName), ToGbk(m_slot->url), NowText(), m_slot->Section(), {}};
}

// The window's own values and its last notified text; what only a notice knows, marked.
NoticeFacts TSNMSetFrm::PreviewFacts() const {
    NoticeFacts facts = TestFacts();
    facts.found = ToGbk(text::kPreviewFound);
    facts.value = ToGbk(text::kPreviewValue);
    if (m_slot) facts.previous = CutText(m_slot->LastMatch, kPreviewPreviousChars);
    return facts;
}

void TSNMSetFrm::UpdatePreview() {
    const GbkText filled =
        FillPlaceholders(ToGbk(FromWidgetLines(SmsBody->GetValue())), PreviewFacts());
    wxString line = U8(text::kPreviewLabel) + FromGbk(filled);
    line.Replace("\r\n", " ");
    line.Replace("\r", " ");
    line.Replace("\n", " ");
    line.Replace("\t", " ");
    Preview->SetLabelText(line);  // one line, cut with "..." where it is too long
    Preview->SetToolTip(line);
}

void TSNMSetFrm::PlaceholderClick() {
    const int chosen = PlaceholderList->GetSelection();
    if (chosen == wxNOT_FOUND) return;
    const wxString entry = PlaceholderList->GetString(static_cast<unsigned>(chosen));
    SmsBody->WriteText(entry.BeforeFirst(' '));
    SmsBody->SetFocus();
}

void TSNMSetFrm::SaveNoticeClick() {
    if (!m_slot) return Finish(wxID_OK);
    m_slot->ToMail = FromWidget(MailToEdit->GetValue());
    m_slot->Contry = FromWidget(CountryCodeEdit->GetValue());
    m_slot->Mobile = FromWidget(MobileEdit->GetValue());
    m_slot->SmsBody = FromWidgetLines(SmsBody->GetValue());
    m_slot->Body = m_slot->SmsBody;
    m_slot->Subject = text::kMailSubject;
    CommitSlot(*m_slot, text::kRecipientsSaved);
}

void TSNMSetFrm::SaveProgramClick() {
    if (!m_slot) return Finish(wxID_OK);
    m_slot->OtherProgram = FromWidget(ProgramEdit->GetValue());
    m_slot->OtherStr = FromWidget(ParametersEdit->GetValue());
    CommitSlot(*m_slot, text::kOtherSaved);
}

void TSNMSetFrm::CancelClick() { Finish(wxID_CANCEL); }

void TSNMSetFrm::BrowseProgramClick() {
    std::string path = GetNotices().ChooseFileToOpen();
    if (!path.empty()) ProgramEdit->ChangeValue(wxString::FromUTF8(path));
}

void TSNMSetFrm::ProgramTestClick() {
    m_dispatcher.StartProgram(ToGbk(FromWidget(ProgramEdit->GetValue())),
                              ToGbk(FromWidget(ParametersEdit->GetValue())), TestFacts(), true);
}

}  // namespace nuvaro
