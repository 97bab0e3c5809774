#pragma once

#include <memory>
#include <string>

#include "notify/sms_settings.h"
#include "ui/modal_form.h"

class wxButton;
class wxComboBox;
class wxStaticText;
class wxTextCtrl;

namespace nuvaro {

class NotifyDispatcher;

// The HTTP SMS gateway that every window's SMS goes through, as sms.inf holds it: shown from
// the file, checked, and written back on OK (other keys and lines of the file stay). The test
// sends one SMS with the settings as they stand, unsaved, and tells its outcome in the dialog.
class TSmsGatewayFrm : public ModalForm {
  public:
    explicit TSmsGatewayFrm(NotifyDispatcher& dispatcher);
    ~TSmsGatewayFrm() override;

    void FormShow() override;
    void OkClick();      // "确定": checks, writes sms.inf, closes
    void CancelClick();  // "取消"
    void TestClick();    // "发送测试短信"
    void BrowseClick();  // certificates file

    SmsSettings Settings() const;

    wxTextCtrl* GatewayEdit = nullptr;
    wxComboBox* MethodBox = nullptr;
    wxComboBox* ContentTypeBox = nullptr;
    wxComboBox* CharsetBox = nullptr;
    wxTextCtrl* BodyEdit = nullptr;
    wxTextCtrl* HeaderEdit = nullptr;
    wxTextCtrl* AccountEdit = nullptr;
    wxTextCtrl* TokenEdit = nullptr;  // shown masked
    wxTextCtrl* SuccessEdit = nullptr;
    wxTextCtrl* TimeoutEdit = nullptr;
    wxTextCtrl* ConnectTimeoutEdit = nullptr;
    wxTextCtrl* CaFileEdit = nullptr;
    wxTextCtrl* TestNumberEdit = nullptr;
    wxTextCtrl* TestCodeEdit = nullptr;
    wxButton* TestButton = nullptr;
    wxStaticText* TestOutcome = nullptr;
    wxButton* OkButton = nullptr;
    wxButton* CancelButton = nullptr;

  private:
    void BuildGatewayGroup();
    void BuildTestGroup();
    // Tells what is wrong with the settings in a box; false when something is.
    bool SettingsUsable(const SmsSettings& settings);
    void ShowTestOutcome(bool sent, const GbkText& reason);

    NotifyDispatcher& m_dispatcher;
    std::shared_ptr<TSmsGatewayFrm*> m_self;  // a test's answer finds the dialog gone
};

}  // namespace nuvaro
