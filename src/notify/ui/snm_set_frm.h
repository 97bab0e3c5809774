#pragma once

#include <string_view>

#include "notify/notice_facts.h"
#include "ui/modal_form.h"

class wxButton;
class wxRadioButton;
class wxTextCtrl;

namespace nuvaro {

class NotifyDispatcher;
class TConfig;

// Who is told for one window, and with what text: mobile numbers with their country code, the
// address to mail, the notification text, and the local program with its parameters. The
// upper OK saves the SMS and mail fields, the lower OK the local program; each saves the whole
// slot at once. The test buttons send with the fields as they stand, unsaved, their
// placeholders filled with the window's own values and an empty found text.
class TSNMSetFrm : public ModalForm {
public:
    // `slot` may be null: the dialog then saves nothing.
    TSNMSetFrm(TConfig* slot, NotifyDispatcher& dispatcher);

    void FormShow() override;
    void RadioButton1Click();  // "海内"
    void RadioButton2Click();  // "海外"
    void smstestClick();
    void EmailTestClick();
    void RzBitBtn1Click();     // upper OK
    void RzBitBtn2Click();     // either Cancel
    void lookFindClick();      // browse for the program
    void lookEnterClick();     // lower OK
    void OrtherTestClick();    // start the program once
    void SendSMSToTest(std::string_view record);
    void SendEmailTest(std::string_view record);

    wxRadioButton* RadioButton1 = nullptr;
    wxRadioButton* RadioButton2 = nullptr;
    wxTextCtrl* Edit1 = nullptr;        // country calling code
    wxTextCtrl* Edit2 = nullptr;        // mobile numbers
    wxTextCtrl* edit4 = nullptr;        // notify address
    wxTextCtrl* SmsBody = nullptr;      // notification text
    wxTextCtrl* OtherPrgSet = nullptr;  // local program
    wxTextCtrl* ExStrSet = nullptr;     // parameter string
    wxButton* smstest = nullptr;
    wxButton* EmailTest = nullptr;
    wxButton* RzBitBtn1 = nullptr;
    wxButton* RzBitBtn2 = nullptr;
    wxButton* lookFind = nullptr;
    wxButton* OrtherTest = nullptr;
    wxButton* lookEnter = nullptr;
    wxButton* cancel = nullptr;

private:
    void BuildMessageGroup();
    NoticeFacts TestFacts() const;
    void BuildOtherGroup();

    TConfig* m_slot;
    NotifyDispatcher& m_dispatcher;
};

}  // namespace nuvaro
