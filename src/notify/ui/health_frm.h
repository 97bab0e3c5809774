#pragma once

#include "monitor/health_watch.h"
#include "ui/modal_form.h"

class wxButton;
class wxCheckBox;
class wxTextCtrl;

namespace nuvaro {

// config.ini [Health] as a small dialog: when a window that keeps failing is told, and how.
class THealthFrm : public ModalForm {
  public:
    THealthFrm();

    void FormShow() override;
    void OkClick();  // "确定": checks the numbers, writes config.ini, closes
    void CancelClick();

    // The settings as the fields hold them; a number that is none keeps `base`'s.
    HealthSettings Settings(const HealthSettings& base = {}) const;

    wxCheckBox* EnabledCheck = nullptr;
    wxTextCtrl* FailTicksEdit = nullptr;
    wxTextCtrl* FailMinutesEdit = nullptr;
    wxTextCtrl* RemindHoursEdit = nullptr;
    wxCheckBox* RecoveryCheck = nullptr;
    wxCheckBox* ProgramCheck = nullptr;
    wxCheckBox* LostMatchCheck = nullptr;
    wxButton *OkButton = nullptr, *CancelButton = nullptr;
};

}  // namespace nuvaro
