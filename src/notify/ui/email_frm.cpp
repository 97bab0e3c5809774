#include "notify/ui/email_frm.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <iterator>

#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/setup_texts.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/mail_providers.h"
#include "notify/notify_dispatcher.h"
#include "notify/readable_answer.h"
#include "services/notices.h"
#include "services/services.h"
#include "services/ui_work_queue.h"
#include "ui/controls.h"
#include "ui/design.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr const char* kEmailFile = "email.inf";
constexpr const char* kEmailSection = "email";
// The security box's entries, in order.
const char* const kSecurities[] = {kMailSecurityAuto, kMailSecuritySsl, kMailSecurityStartTls};

wxChoice* MakeChoice(wxWindow* parent, const char* name, const wxRect& r,
                     const wxArrayString& items) {
    auto* box = new wxChoice(parent, wxID_ANY, r.GetPosition(), r.GetSize(), items);
    box->SetName(name);
    box->SetFont(design::FormFont());
    return box;
}

wxStaticText* MakeNote(wxWindow* parent, const char* name, const wxRect& r, long style = 0) {
    auto* note = new wxStaticText(parent, wxID_ANY, wxEmptyString, r.GetPosition(), r.GetSize(),
                                  wxST_NO_AUTORESIZE | style);
    note->SetName(name);
    note->SetFont(design::FormFont());
    return note;
}

}  // namespace

std::string ReadExeIniValue(const std::string& section, const std::string& key,
                            const std::string& fileName) {
    return IniFile(ExeDirFile(fileName)).ReadString(section, key);
}

TEmailFrm::TEmailFrm(NotifyDispatcher& dispatcher)
    : ModalForm(U8(text::kSenderCaption), wxSize(477, 250),
                wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_dispatcher(dispatcher),
      m_self(std::make_shared<TEmailFrm*>(this)) {
    SetName("EmailFrm");
    BuildAccountGroup();
    TestButton = MakeButton(this, text::kEmailTest, "TestButton", {8, 182, 110, 25});
    TestOutcome = MakeNote(this, "TestOutcome", {126, 186, 343, 20}, wxST_ELLIPSIZE_END);
    OkButton = MakeButton(this, text::kOk, "OkButton",
                          {310, 218, kStandardButtonWidth, kStandardButtonHeight});
    CancelButton = MakeButton(this, text::kCancel, "CancelButton",
                              {394, 218, kStandardButtonWidth, kStandardButtonHeight});
    ProviderBox->Bind(wxEVT_CHOICE,
                      [this](wxCommandEvent&) { Guarded([this] { ProviderClick(); }); });
    TestButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { TestClick(); }); });
    OkButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    CancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

TEmailFrm::~TEmailFrm() { *m_self = nullptr; }

void TEmailFrm::BuildAccountGroup() {
    auto* group = new GroupBox(this, U8(text::kSenderGroup), {8, 6}, {461, 168});
    wxArrayString providers, securities;
    for (const MailProvider& p : MailProviders()) providers.Add(U8(p.name));
    for (const char* s : kSecurities) securities.Add(U8(*s ? s : text::kMailSecurityAutoChoice));
    KeepApart({MakeLabel(group, text::kMailProviderLabel, 12, 27),
               ProviderBox = MakeChoice(group, "ProviderBox", {84, 22, 140, 26}, providers)});
    KeepApart({MakeLabel(group, text::kMailSecurityLabel, 240, 27),
               SecurityBox = MakeChoice(group, "SecurityBox", {300, 22, 150, 26}, securities)});
    KeepApart({MakeLabel(group, text::kSmtpLabel, 12, 58),
               SmtpEdit = MakeEdit(group, "SmtpEdit", {84, 55, 140, 21})});
    KeepApart({MakeLabel(group, text::kAccountLabel, 240, 58),
               UserEdit = MakeEdit(group, "UserEdit", {300, 55, 150, 21})});
    KeepApart({MakeLabel(group, text::kPortLabel, 12, 88),
               PortEdit = MakeEdit(group, "PortEdit", {84, 85, 140, 21})});
    KeepApart({MakeLabel(group, text::kPasswordLabel, 240, 88),
               PasswordEdit = MakeEdit(group, "PasswordEdit", {300, 85, 150, 21}, wxTE_PASSWORD)});
    ProviderNote = MakeNote(group, "ProviderNote", {12, 112, 438, 52});
}

void TEmailFrm::FormShow() {
    auto read = [](const char* key) { return ReadExeIniValue(kEmailSection, key, kEmailFile); };
    SmtpEdit->ChangeValue(ToWidget(read("Smtp")));
    PortEdit->ChangeValue(ToWidget(read("SmtpPort")));
    UserEdit->ChangeValue(ToWidget(read("UserName")));
    PasswordEdit->ChangeValue(ToWidget(read("Password")));
    ProviderBox->SetSelection(static_cast<int>(ProviderOfServer(read("Smtp"))));
    ShowSecurity(ParseMailSecurity(read("Security")).value_or(kMailSecurityAuto));
    ProviderClick();
}

// A service fills in what it prescribes; "自定义" leaves the fields as they are.
void TEmailFrm::ProviderClick() {
    const int chosen = ProviderBox->GetSelection();
    if (chosen < 0) return;
    const MailProvider& p = MailProviders()[static_cast<size_t>(chosen)];
    if (*p.server && ProviderOfServer(FromWidget(SmtpEdit->GetValue())) != size_t(chosen)) {
        SmtpEdit->ChangeValue(U8(p.server));
        PortEdit->ChangeValue(U8(p.port));
        ShowSecurity(p.security);
    }
    ProviderNote->SetLabelText(U8(p.note) + "\n" + U8(text::kMailAccountAdvice));
}

void TEmailFrm::ShowSecurity(const std::string& security) {
    for (size_t i = 0; i < std::size(kSecurities); ++i) {
        if (security == kSecurities[i]) SecurityBox->SetSelection(static_cast<int>(i));
    }
}

std::string TEmailFrm::Security() const {
    const int chosen = SecurityBox->GetSelection();
    return chosen > 0 ? kSecurities[chosen] : kMailSecurityAuto;
}

MailAccount TEmailFrm::Account() const {
    auto gbk = [](const wxTextCtrl* edit) { return ToGbk(FromWidget(edit->GetValue())).bytes(); };
    return {gbk(SmtpEdit), gbk(PortEdit), gbk(UserEdit), gbk(PasswordEdit), Security()};
}

// The answer comes from a worker of the dispatcher; it is shown from the UI thread, unless
// the dialog has closed meanwhile (the send log keeps it all the same).
void TEmailFrm::TestClick() {
    const MailAccount account = Account();
    if (TrimControls(account.smtp).empty()) {
        GetNotices().Box(Notices::Owner::None, text::kMailTestNoServer, text::kSenderCaption,
                         Notices::Icon::Error, Notices::Buttons::Ok);
        return;
    }
    m_dispatcher.SendMailAccountTest(
        account, [self = std::weak_ptr<TEmailFrm*>(m_self)](const TryResult& result) {
            RunSoon([self, sent = result.outcome == TryOutcome::Sent, reason = result.reason] {
                auto dialog = self.lock();
                if (dialog && *dialog) (*dialog)->ShowTestOutcome(sent, reason);
            });
        });
    TestButton->Disable();
    TestOutcome->SetLabelText(U8(text::kMailTestSending));
}

void TEmailFrm::ShowTestOutcome(bool sent, const GbkText& reason) {
    TestButton->Enable();
    const wxString outcome =
        U8(sent ? text::kMailTestSent : text::kMailTestFailed) + FromGbk(ReadableAnswer(reason));
    TestOutcome->SetLabelText(outcome);
    TestOutcome->SetToolTip(outcome);
}

// A refused change of the built-in account closes silently; an account without a server is
// stored only when the user says so. A store that cannot write email.inf raises, and the
// dialog stays open with what the user typed.
void TEmailFrm::OkClick() {
    const GbkText user = ToGbk(FromWidget(UserEdit->GetValue()));
    const GbkText password = ToGbk(FromWidget(PasswordEdit->GetValue()));
    if (user.view() == kBuiltInSender && password.view() != kBuiltInSenderPassword)
        return Finish(wxID_CANCEL);
    const GbkText smtp = ToGbk(FromWidget(SmtpEdit->GetValue()));
    if (TrimControls(smtp.view()).empty() &&
        GetNotices().Box(Notices::Owner::None, text::kMailSaveWithoutServer, text::kSenderCaption,
                         Notices::Icon::Question,
                         Notices::Buttons::YesNo) != Notices::Answer::Yes) {
        return;
    }
    m_dispatcher.SaveEmail(smtp, user, password, ToGbk(FromWidget(PortEdit->GetValue())),
                           ToGbk("1"));
    m_dispatcher.SaveEmailSecurity(ToGbk(Security()));
    Finish(wxID_OK);
}

void TEmailFrm::CancelClick() { Finish(wxID_CANCEL); }

}  // namespace nuvaro
