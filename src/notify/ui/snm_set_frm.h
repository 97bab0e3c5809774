#pragma once

#include <string_view>

#include "notify/notice_facts.h"
#include "ui/modal_form.h"

class wxButton;
class wxListBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace nuvaro {

class NotifyDispatcher;
class TConfig;

// Who is told for one window, and with what text: mobile numbers with their country code, the
// address to mail, the notification text, and the local program with its parameters. The
// upper OK saves the SMS and mail fields, the lower OK the local program; each saves the whole
// slot at once. The test buttons send with the fields as they stand, unsaved, their
// placeholders filled with the window's own values and an empty found text. Beside the text
// the placeholders are listed (a double click inserts one), and below it a preview shows the
// text as a notice would carry it now; a window without a text is offered a default one.
class TSNMSetFrm : public ModalForm {
  public:
    // `slot` may be null: the dialog then saves nothing.
    TSNMSetFrm(TConfig* slot, NotifyDispatcher& dispatcher);

    void FormShow() override;
    void DomesticClick();  // "海内"
    void OverseasClick();  // "海外"
    void SmsTestClick();
    void EmailTestClick();
    void SaveNoticeClick();     // upper OK
    void CancelClick();         // either Cancel
    void BrowseProgramClick();  // browse for the program
    void SaveProgramClick();    // lower OK
    void ProgramTestClick();    // start the program once
    void SendSMSToTest(const GbkText& record);
    void SendEmailTest(const GbkText& record);
    void PlaceholderClick();  // a placeholder double-clicked: inserted at the caret
    void UpdatePreview();

    wxRadioButton* DomesticRadio = nullptr;
    wxRadioButton* OverseasRadio = nullptr;
    wxTextCtrl* CountryCodeEdit = nullptr;  // country calling code
    wxTextCtrl* MobileEdit = nullptr;       // mobile numbers
    wxTextCtrl* MailToEdit = nullptr;       // notify address
    wxTextCtrl* SmsBody = nullptr;          // notification text
    wxListBox* PlaceholderList = nullptr;   // the placeholders, each with what it stands for
    wxStaticText* Preview = nullptr;        // the text as a notice would carry it now
    wxTextCtrl* ProgramEdit = nullptr;      // local program
    wxTextCtrl* ParametersEdit = nullptr;   // parameter string
    wxButton* SmsTestButton = nullptr;
    wxButton* EmailTestButton = nullptr;
    wxButton* SaveNoticeButton = nullptr;
    wxButton* CancelButton = nullptr;
    wxButton* BrowseProgramButton = nullptr;
    wxButton* ProgramTestButton = nullptr;
    wxButton* SaveProgramButton = nullptr;
    wxButton* cancel = nullptr;

  private:
    void BuildMessageGroup();
    void BuildPlaceholders();
    NoticeFacts TestFacts() const;
    NoticeFacts PreviewFacts() const;
    void BuildOtherGroup();

    TConfig* m_slot;
    NotifyDispatcher& m_dispatcher;
};

}  // namespace nuvaro
