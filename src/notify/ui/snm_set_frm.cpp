#include "notify/ui/snm_set_frm.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "platform/notices.h"
#include "platform/services.h"
#include "ui/controls.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr const char* kDomesticCode = "+86";

wxRect StandardButton(int x, int y) {
    return {x, y, kStandardButtonWidth, kStandardButtonHeight};
}

template <typename Tag, typename Handler>
void OnClick(wxWindow* control, const Tag& type, Handler handler) {
    control->Bind(type, [handler](wxCommandEvent&) { Guarded(handler); });
}

}  // namespace

TSNMSetFrm::TSNMSetFrm(TConfig* slot, NotifyDispatcher& dispatcher)
    : ModalForm(U8(text::kRecipientsCaption), wxSize(460, 472),
                wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_slot(slot),
      m_dispatcher(dispatcher) {
    SetName("SNMSetFrm");
    BuildMessageGroup();
    BuildOtherGroup();

    OnClick(RadioButton1, wxEVT_RADIOBUTTON, [this] { RadioButton1Click(); });
    OnClick(RadioButton2, wxEVT_RADIOBUTTON, [this] { RadioButton2Click(); });
    OnClick(smstest, wxEVT_BUTTON, [this] { smstestClick(); });
    OnClick(EmailTest, wxEVT_BUTTON, [this] { EmailTestClick(); });
    OnClick(RzBitBtn1, wxEVT_BUTTON, [this] { RzBitBtn1Click(); });
    OnClick(RzBitBtn2, wxEVT_BUTTON, [this] { RzBitBtn2Click(); });
    OnClick(cancel, wxEVT_BUTTON, [this] { RzBitBtn2Click(); });
    OnClick(lookFind, wxEVT_BUTTON, [this] { lookFindClick(); });
    OnClick(lookEnter, wxEVT_BUTTON, [this] { lookEnterClick(); });
    OnClick(OrtherTest, wxEVT_BUTTON, [this] { OrtherTestClick(); });
}

// "短信与邮件设定": numbers with their country code, the address, the text below it.
void TSNMSetFrm::BuildMessageGroup() {
    auto* group = new GroupBox(this, U8(text::kMessageGroup), {8, 6}, {444, 152});
    MakeLabel(group, text::kMobileLabel, 12, 24);
    MakeLabel(group, text::kMobileAdvice, 116, 24);
    RadioButton1 = new wxRadioButton(group, wxID_ANY, U8(text::kDomestic), wxPoint(12, 47),
                                     wxDefaultSize, wxRB_GROUP);
    RadioButton2 = new wxRadioButton(group, wxID_ANY, U8(text::kOverseas), wxPoint(62, 47));
    for (wxRadioButton* radio : {RadioButton1, RadioButton2}) radio->SetFont(GetFont());
    RadioButton1->SetValue(true);
    Edit1 = MakeEdit(group, "Edit1", {116, 45, 52, 21});
    Edit1->ChangeValue(kDomesticCode);
    Edit2 = MakeEdit(group, "Edit2", {174, 45, 168, 21});
    smstest = MakeButton(group, text::kSmsTest, "smstest", {350, 44, 84, 23});

    MakeLabel(group, text::kAddressToNotify, 12, 78);
    edit4 = MakeEdit(group, "edit4", {12, 96, 330, 21});
    EmailTest = MakeButton(group, text::kEmailTest, "EmailTest", {350, 95, 84, 23});

    MakeLabel(group, text::kBodyLabel, 12, 128);
    MakeLabel(group, text::kBodyAdvice, 100, 128);

    SmsBody = MakeEdit(this, "SmsBody", {8, 164, 444, 84}, wxTE_MULTILINE | wxTE_WORDWRAP);
    MakeLabel(this, text::kBodyLengthAdvice, 8, 262);
    RzBitBtn1 = MakeButton(this, text::kOk, "RzBitBtn1", StandardButton(296, 256));
    RzBitBtn2 = MakeButton(this, text::kCancel, "RzBitBtn2", StandardButton(377, 256));
}

// "其它通知方式设定": the local program and its parameters.
void TSNMSetFrm::BuildOtherGroup() {
    auto* group = new GroupBox(this, U8(text::kOtherGroup), {8, 292}, {444, 172});
    MakeLabel(group, text::kLocalProgramLabel, 12, 28);
    OtherPrgSet = MakeEdit(group, "OtherPrgSet", {80, 25, 262, 21});
    lookFind = MakeButton(group, text::kBrowse, "lookFind", {350, 24, 84, 23});
    MakeLabel(group, text::kParametersLabel, 12, 62);
    ExStrSet = MakeEdit(group, "ExStrSet", {80, 59, 262, 21});
    OrtherTest = MakeButton(group, text::kTest, "OrtherTest", {350, 58, 84, 23});
    MakeLabel(group, text::kOtherAdvice, 12, 96);
    lookEnter = MakeButton(group, text::kOk, "lookEnter", StandardButton(278, 130));
    cancel = MakeButton(group, text::kCancel, "cancel", StandardButton(359, 130));
}

void TSNMSetFrm::FormShow() {
    if (!m_slot) return;
    edit4->ChangeValue(FromGbk(m_slot->ToMail));
    Edit2->ChangeValue(FromGbk(m_slot->Mobile));
    SmsBody->ChangeValue(FromGbkLines(m_slot->SmsBody));
    Edit1->ChangeValue(FromGbk(m_slot->Contry));
    OtherPrgSet->ChangeValue(FromGbk(m_slot->OtherProgram));
    ExStrSet->ChangeValue(FromGbk(m_slot->OtherStr));
    if (Edit1->GetValue() == kDomesticCode) {
        RadioButton1->SetValue(true);
    } else {
        RadioButton2->SetValue(true);
        RadioButton2Click();
    }
}

void TSNMSetFrm::RadioButton1Click() {
    if (RadioButton1->GetValue()) Edit1->ChangeValue(kDomesticCode);
}

void TSNMSetFrm::RadioButton2Click() {
    if (RadioButton2->GetValue() && m_slot) Edit1->ChangeValue(FromGbk(m_slot->Contry));
}

void TSNMSetFrm::smstestClick() {
    SendSMSToTest(SmsTestRecord(ToGbk(edit4->GetValue()), ToGbkLines(SmsBody->GetValue()),
                                ToGbk(Edit2->GetValue()), ToGbk(Edit1->GetValue())));
}

void TSNMSetFrm::EmailTestClick() {
    SendEmailTest(EmailTestRecord(ToGbk(edit4->GetValue()), ToGbkLines(SmsBody->GetValue()),
                                  ToGbk(Edit2->GetValue()), ToGbk(Edit1->GetValue())));
}

void TSNMSetFrm::SendSMSToTest(std::string_view record) {
    m_dispatcher.SendSMSToTest(record, TestFacts());
}

void TSNMSetFrm::SendEmailTest(std::string_view record) {
    m_dispatcher.SendEmailTest(record, TestFacts());
}

// The placeholders of a test: the window's own values, the time now, nothing found.
NoticeFacts TSNMSetFrm::TestFacts() const {
    if (!m_slot) return {"", "", "", NowText(), "", ""};
    return {"", m_slot->WindowName, m_slot->url, NowText(), m_slot->Section(), ""};
}

void TSNMSetFrm::RzBitBtn1Click() {
    if (!m_slot) return Finish(wxID_OK);
    m_slot->ToMail = ToGbk(edit4->GetValue());
    m_slot->Contry = ToGbk(Edit1->GetValue());
    m_slot->Mobile = ToGbk(Edit2->GetValue());
    m_slot->SmsBody = ToGbkLines(SmsBody->GetValue());
    m_slot->Body = m_slot->SmsBody;
    m_slot->Subject = Gbk(text::kMailSubject);
    CommitSlot(*m_slot, text::kRecipientsSaved);
}

void TSNMSetFrm::lookEnterClick() {
    if (!m_slot) return Finish(wxID_OK);
    m_slot->OtherProgram = ToGbk(OtherPrgSet->GetValue());
    m_slot->OtherStr = ToGbk(ExStrSet->GetValue());
    CommitSlot(*m_slot, text::kOtherSaved);
}

void TSNMSetFrm::RzBitBtn2Click() { Finish(wxID_CANCEL); }

void TSNMSetFrm::lookFindClick() {
    std::string path = GetNotices().ChooseFileToOpen();
    if (!path.empty()) OtherPrgSet->ChangeValue(wxString::FromUTF8(path));
}

void TSNMSetFrm::OrtherTestClick() {
    m_dispatcher.StartProgram(ToGbk(OtherPrgSet->GetValue()), ToGbk(ExStrSet->GetValue()),
                              TestFacts(), true);
}

}  // namespace nuvaro
