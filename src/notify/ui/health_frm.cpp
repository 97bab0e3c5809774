#include "notify/ui/health_frm.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/exe_dir.h"
#include "core/ini_file.h"
#include "core/notice_texts.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "ui/controls.h"
#include "ui/error_display.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

int NumberIn(const wxTextCtrl* edit, int fallback) {
    auto number = ParseInteger(FromWidget(edit->GetValue()));
    return number && *number >= 0 && *number < 1000000 ? static_cast<int>(*number) : fallback;
}

}  // namespace

THealthFrm::THealthFrm()
    : ModalForm(U8(text::kHealthCaption), wxSize(400, 250),
                wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetName("HealthFrm");
    auto* group = new GroupBox(this, U8(text::kHealthCaption), {8, 6}, {384, 202});
    EnabledCheck = MakeCheck(group, text::kHealthEnabled, "EnabledCheck", {12, 20, 360, 20}, false);
    KeepApart({MakeLabel(group, text::kHealthFailTicks, 28, 51),
               FailTicksEdit = MakeEdit(group, "FailTicksEdit", {200, 48, 60, 21})});
    KeepApart({MakeLabel(group, text::kHealthFailMinutes, 28, 79),
               FailMinutesEdit = MakeEdit(group, "FailMinutesEdit", {200, 76, 60, 21})});
    KeepApart({MakeLabel(group, text::kHealthRemindHours, 28, 107),
               RemindHoursEdit = MakeEdit(group, "RemindHoursEdit", {200, 104, 60, 21})});
    RecoveryCheck =
        MakeCheck(group, text::kHealthRecovery, "RecoveryCheck", {28, 130, 340, 20}, false);
    ProgramCheck =
        MakeCheck(group, text::kHealthProgram, "ProgramCheck", {28, 152, 340, 20}, false);
    LostMatchCheck =
        MakeCheck(group, text::kHealthLostMatchOption, "LostMatchCheck", {28, 174, 340, 20}, false);
    OkButton = MakeButton(this, text::kOk, "OkButton",
                          {232, 216, kStandardButtonWidth, kStandardButtonHeight});
    CancelButton = MakeButton(this, text::kCancel, "CancelButton",
                              {316, 216, kStandardButtonWidth, kStandardButtonHeight});
    OkButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    CancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

void THealthFrm::FormShow() {
    const HealthSettings s = ReadHealthSettings(IniFile(ExeDirFile(kConfigIniFile)).Load());
    EnabledCheck->SetValue(s.enabled);
    FailTicksEdit->ChangeValue(std::to_string(s.failTicks));
    FailMinutesEdit->ChangeValue(std::to_string(s.failMinutes));
    RemindHoursEdit->ChangeValue(std::to_string(s.remindHours));
    RecoveryCheck->SetValue(s.recovery);
    ProgramCheck->SetValue(s.program);
    LostMatchCheck->SetValue(s.lostMatch);
}

HealthSettings THealthFrm::Settings(const HealthSettings& base) const {
    HealthSettings s = base;
    s.enabled = EnabledCheck->GetValue();
    s.failTicks = std::max(1, NumberIn(FailTicksEdit, base.failTicks));
    s.failMinutes = NumberIn(FailMinutesEdit, base.failMinutes);
    s.remindHours = NumberIn(RemindHoursEdit, base.remindHours);
    s.recovery = RecoveryCheck->GetValue();
    s.program = ProgramCheck->GetValue();
    s.lostMatch = LostMatchCheck->GetValue();
    return s;
}

void THealthFrm::OkClick() {
    IniFile file(ExeDirFile(kConfigIniFile));
    file.Update(
        [&](IniDocument& doc) { WriteHealthSettings(doc, Settings(ReadHealthSettings(doc))); });
    Finish(wxID_OK);
}

void THealthFrm::CancelClick() { Finish(wxID_CANCEL); }

}  // namespace nuvaro
