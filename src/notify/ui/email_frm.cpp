#include "notify/ui/email_frm.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "core/exe_dir.h"
#include "core/ini_file.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "ui/controls.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr const char* kEmailFile = "email.inf";
constexpr const char* kEmailSection = "email";

}  // namespace

std::string ReadExeIniValue(const std::string& section, const std::string& key,
                            const std::string& fileName) {
    return IniFile(ExeDirFile(fileName)).ReadString(section, key);
}

TEmailFrm::TEmailFrm(NotifyDispatcher& dispatcher)
    : ModalForm(U8(text::kSenderCaption), wxSize(477, 130),
                wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_dispatcher(dispatcher) {
    SetName("EmailFrm");
    auto* group = new GroupBox(this, U8(text::kSenderGroup), {8, 6}, {461, 86});
    MakeLabel(group, text::kSmtpLabel, 12, 28);
    SmtpEdit = MakeEdit(group, "SmtpEdit", {84, 25, 140, 21});
    MakeLabel(group, text::kPortLabel, 12, 58);
    PortEdit = MakeEdit(group, "PortEdit", {84, 55, 140, 21});
    MakeLabel(group, text::kAccountLabel, 240, 28);
    UserEdit = MakeEdit(group, "UserEdit", {300, 25, 150, 21});
    MakeLabel(group, text::kPasswordLabel, 240, 58);
    PasswordEdit = MakeEdit(group, "PasswordEdit", {300, 55, 150, 21}, wxTE_PASSWORD);
    OkButton = MakeButton(this, text::kOk, "OkButton",
                          {310, 100, kStandardButtonWidth, kStandardButtonHeight});
    CancelButton = MakeButton(this, text::kCancel, "CancelButton",
                              {394, 100, kStandardButtonWidth, kStandardButtonHeight});
    OkButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    CancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

void TEmailFrm::FormShow() {
    auto read = [](const char* key) {
        return ToWidget(ReadExeIniValue(kEmailSection, key, kEmailFile));
    };
    SmtpEdit->ChangeValue(read("Smtp"));
    PortEdit->ChangeValue(read("SmtpPort"));
    UserEdit->ChangeValue(read("UserName"));
    PasswordEdit->ChangeValue(read("Password"));
}

// A refused change of the built-in account closes silently. A store that cannot write
// email.inf raises, and the dialog stays open with what the user typed.
void TEmailFrm::OkClick() {
    const GbkText user = ToGbk(FromWidget(UserEdit->GetValue()));
    const GbkText password = ToGbk(FromWidget(PasswordEdit->GetValue()));
    if (user.view() == kBuiltInSender && password.view() != kBuiltInSenderPassword)
        return Finish(wxID_CANCEL);
    m_dispatcher.SaveEmail(ToGbk(FromWidget(SmtpEdit->GetValue())), user, password,
                           ToGbk(FromWidget(PortEdit->GetValue())), ToGbk("1"));
    Finish(wxID_OK);
}

void TEmailFrm::CancelClick() { Finish(wxID_CANCEL); }

}  // namespace nuvaro
