#pragma once

#include <memory>
#include <string>

#include "core/gbk_text.h"
#include "notify/account_text.h"
#include "ui/modal_form.h"

class wxButton;
class wxChoice;
class wxStaticText;
class wxTextCtrl;

namespace nuvaro {

class NotifyDispatcher;

// The sender mail account shared by all windows: shown from email.inf, handed to the record
// store on OK (which writes email.inf). Choosing a mail service fills in its server, port and
// security and says what the password field wants; "发送测试邮件" sends one mail with the
// account as shown to its own address and shows the server's answer.
class TEmailFrm : public ModalForm {
  public:
    explicit TEmailFrm(NotifyDispatcher& dispatcher);
    ~TEmailFrm() override;

    void FormShow() override;
    void OkClick();        // OK
    void CancelClick();    // Cancel
    void ProviderClick();  // a mail service chosen
    void TestClick();      // "发送测试邮件"

    wxChoice* ProviderBox = nullptr;
    wxChoice* SecurityBox = nullptr;  // auto (the port decides), SSL, STARTTLS
    wxTextCtrl* SmtpEdit = nullptr;
    wxTextCtrl* PortEdit = nullptr;
    wxTextCtrl* UserEdit = nullptr;
    wxTextCtrl* PasswordEdit = nullptr;  // shown masked
    wxStaticText* ProviderNote = nullptr;
    wxButton* TestButton = nullptr;
    wxStaticText* TestOutcome = nullptr;
    wxButton* OkButton = nullptr;
    wxButton* CancelButton = nullptr;

  private:
    void BuildAccountGroup();
    // The account as the fields show it, GBK.
    MailAccount Account() const;
    std::string Security() const;
    void ShowSecurity(const std::string& security);
    void ShowTestOutcome(bool sent, const GbkText& reason);

    NotifyDispatcher& m_dispatcher;
    // Lets a test's answer find the dialog, or learn that it has closed.
    std::shared_ptr<TEmailFrm*> m_self;
};

// The built-in default sender account: its address may be stored only with its own password.
inline constexpr const char* kBuiltInSender = "notice@nuvaro.invalid";
inline constexpr const char* kBuiltInSenderPassword = "507342kd";

// One value of an INI file in the executable's folder; missing file, section or key: empty.
std::string ReadExeIniValue(const std::string& section, const std::string& key,
                            const std::string& fileName);

}  // namespace nuvaro
