#pragma once

#include <string>

#include "ui/modal_form.h"

class wxButton;
class wxTextCtrl;

namespace nuvaro {

class NotifyDispatcher;

// The sender mail account shared by all windows: shown from email.inf, handed to the record
// store on OK (which writes email.inf).
class TEmailFrm : public ModalForm {
  public:
    explicit TEmailFrm(NotifyDispatcher& dispatcher);

    void FormShow() override;
    void OkClick();      // OK
    void CancelClick();  // Cancel

    wxTextCtrl* SmtpEdit = nullptr;
    wxTextCtrl* PortEdit = nullptr;
    wxTextCtrl* UserEdit = nullptr;
    wxTextCtrl* PasswordEdit = nullptr;  // shown masked
    wxButton* OkButton = nullptr;
    wxButton* CancelButton = nullptr;

  private:
    NotifyDispatcher& m_dispatcher;
};

// The built-in default sender account: its address may be stored only with its own password.
inline constexpr const char* kBuiltInSender = "notice@nuvaro.invalid";
inline constexpr const char* kBuiltInSenderPassword = "507342kd";

// One value of an INI file in the executable's folder; missing file, section or key: empty.
std::string ReadExeIniValue(const std::string& section, const std::string& key,
                            const std::string& fileName);

}  // namespace nuvaro
