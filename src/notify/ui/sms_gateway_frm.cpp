#include "notify/ui/sms_gateway_frm.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/private_files.h"
#include "core/texts.h"
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

constexpr const char* kSmsFile = "sms.inf";
constexpr const char* kDefaultCode = "+86";

wxComboBox* MakeCombo(wxWindow* parent, const char* name, const wxRect& r,
                      std::initializer_list<const char*> choices) {
    wxArrayString items;
    for (const char* choice : choices) items.Add(U8(choice));
    auto* box = new wxComboBox(parent, wxID_ANY, wxEmptyString, r.GetPosition(), r.GetSize(), items,
                               wxCB_DROPDOWN);
    box->SetName(name);
    box->SetFont(design::FormFont());
    return box;
}

std::string Joined(const std::vector<std::string>& problems) {
    std::string text = text::kSmsSettingsWrong;
    for (const auto& problem : problems) text += "\n· " + problem;
    return text;
}

}  // namespace

TSmsGatewayFrm::TSmsGatewayFrm(NotifyDispatcher& dispatcher)
    : ModalForm(U8(text::kSmsGatewayCaption), wxSize(560, 500),
                wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_dispatcher(dispatcher),
      m_self(std::make_shared<TSmsGatewayFrm*>(this)) {
    SetName("SmsGatewayFrm");
    BuildGatewayGroup();
    BuildTestGroup();
    OkButton = MakeButton(this, text::kOk, "OkButton",
                          {392, 466, kStandardButtonWidth, kStandardButtonHeight});
    CancelButton = MakeButton(this, text::kCancel, "CancelButton",
                              {476, 466, kStandardButtonWidth, kStandardButtonHeight});
    OkButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    CancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

TSmsGatewayFrm::~TSmsGatewayFrm() { *m_self = nullptr; }

void TSmsGatewayFrm::BuildGatewayGroup() {
    auto* group = new GroupBox(this, U8(text::kSmsGatewayGroup), {8, 6}, {544, 304});
    auto row = [&](const char* label, int y) { return MakeLabel(group, label, 12, y + 3); };
    KeepApart({row(text::kSmsGatewayUrl, 20),
               GatewayEdit = MakeEdit(group, "GatewayEdit", {96, 20, 436, 21})});
    KeepApart({row(text::kSmsMethod, 48),
               MethodBox = MakeCombo(group, "MethodBox", {96, 47, 120, 24}, {"GET", "POST"}),
               MakeLabel(group, text::kSmsCharset, 286, 51),
               CharsetBox = MakeCombo(group, "CharsetBox", {366, 47, 120, 24}, {"UTF-8", "GBK"})});
    // An empty field takes the plug-in's default, which the field shows greyed.
    MethodBox->SetToolTip(U8(text::kSmsMethodAuto));
    MethodBox->SetHint(U8(text::kSmsMethodHint));
    CharsetBox->SetHint("UTF-8");
    KeepApart(
        {row(text::kSmsContentType, 78),
         ContentTypeBox = MakeCombo(group, "ContentTypeBox", {96, 77, 436, 24},
                                    {"application/x-www-form-urlencoded", "application/json"})});
    ContentTypeBox->SetHint("application/x-www-form-urlencoded");
    KeepApart({row(text::kSmsBody, 106),
               BodyEdit = MakeEdit(group, "BodyEdit", {96, 106, 436, 48}, wxTE_MULTILINE)});
    KeepApart({row(text::kSmsHeader, 160),
               HeaderEdit = MakeEdit(group, "HeaderEdit", {96, 160, 436, 21})});
    KeepApart({row(text::kSmsAccount, 188),
               AccountEdit = MakeEdit(group, "AccountEdit", {96, 188, 170, 21}),
               MakeLabel(group, text::kSmsToken, 286, 191),
               TokenEdit = MakeEdit(group, "TokenEdit", {366, 188, 166, 21}, wxTE_PASSWORD)});
    KeepApart({row(text::kSmsSuccess, 216),
               SuccessEdit = MakeEdit(group, "SuccessEdit", {96, 216, 436, 21})});
    KeepApart({row(text::kSmsTimeout, 244),
               TimeoutEdit = MakeEdit(group, "TimeoutEdit", {96, 244, 60, 21}),
               MakeLabel(group, text::kSmsConnectTimeout, 176, 247),
               ConnectTimeoutEdit = MakeEdit(group, "ConnectTimeoutEdit", {286, 244, 60, 21})});
    TimeoutEdit->SetHint("60");
    ConnectTimeoutEdit->SetHint("15");
    auto* browse = MakeButton(group, text::kBrowse, "BrowseButton", {468, 271, 64, 23});
    KeepApart({row(text::kSmsCaFile, 272),
               CaFileEdit = MakeEdit(group, "CaFileEdit", {96, 272, 366, 21}), browse});
    browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { BrowseClick(); }); });
    MakeLabel(this, text::kSmsPlaceholders, 12, 314);
}

void TSmsGatewayFrm::BuildTestGroup() {
    auto* group = new GroupBox(this, U8(text::kSmsTestGroup), {8, 378}, {544, 80});
    KeepApart(
        {MakeLabel(group, text::kSmsTestNumber, 12, 23),
         TestNumberEdit = MakeEdit(group, "TestNumberEdit", {96, 20, 150, 21}),
         MakeLabel(group, text::kSmsTestCode, 262, 23),
         TestCodeEdit = MakeEdit(group, "TestCodeEdit", {336, 20, 60, 21}),
         TestButton = MakeButton(group, text::kSmsTestSend, "TestButton", {412, 18, 120, 25})});
    TestCodeEdit->ChangeValue(kDefaultCode);
    TestOutcome = new wxStaticText(group, wxID_ANY, wxEmptyString, wxPoint(12, 52), wxSize(520, 20),
                                   wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    TestOutcome->SetFont(design::FormFont());
    TestOutcome->SetName("TestOutcome");
    TestButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { TestClick(); }); });
}

void TSmsGatewayFrm::FormShow() {
    const SmsSettings s = ReadSmsSettings(IniFile(ExeDirFile(kSmsFile)).Load());
    GatewayEdit->ChangeValue(ToWidget(s.gateway));
    MethodBox->SetValue(ToWidget(s.method));
    ContentTypeBox->SetValue(ToWidget(s.contentType));
    CharsetBox->SetValue(ToWidget(s.charset));
    BodyEdit->ChangeValue(ToWidgetLines(s.body));
    HeaderEdit->ChangeValue(ToWidget(s.header));
    AccountEdit->ChangeValue(ToWidget(s.account));
    TokenEdit->ChangeValue(ToWidget(s.token));
    SuccessEdit->ChangeValue(ToWidget(s.success));
    TimeoutEdit->ChangeValue(ToWidget(s.timeout));
    ConnectTimeoutEdit->ChangeValue(ToWidget(s.connectTimeout));
    CaFileEdit->ChangeValue(ToWidget(s.caFile));
}

SmsSettings TSmsGatewayFrm::Settings() const {
    SmsSettings s;
    s.gateway = FromWidget(GatewayEdit->GetValue());
    s.method = FromWidget(MethodBox->GetValue());
    s.contentType = FromWidget(ContentTypeBox->GetValue());
    s.charset = FromWidget(CharsetBox->GetValue());
    s.body = FromWidgetLines(BodyEdit->GetValue());
    s.header = FromWidget(HeaderEdit->GetValue());
    s.account = FromWidget(AccountEdit->GetValue());
    s.token = FromWidget(TokenEdit->GetValue());
    s.success = FromWidget(SuccessEdit->GetValue());
    s.timeout = FromWidget(TimeoutEdit->GetValue());
    s.connectTimeout = FromWidget(ConnectTimeoutEdit->GetValue());
    s.caFile = FromWidget(CaFileEdit->GetValue());
    return s;
}

bool TSmsGatewayFrm::SettingsUsable(const SmsSettings& settings) {
    const auto problems = CheckSmsSettings(settings);
    if (problems.empty()) return true;
    GetNotices().Box(Notices::Owner::None, Joined(problems), text::kSmsGatewayCaption,
                     Notices::Icon::Error, Notices::Buttons::Ok);
    return false;
}

// A refused write is shown, and the dialog stays open with what the user typed.
void TSmsGatewayFrm::OkClick() {
    const SmsSettings settings = Settings();
    if (!SettingsUsable(settings)) return;
    // sms.inf holds the gateway's key.
    IniFile(ExeDirFile(kSmsFile), kPrivateFileMode).Update([&](IniDocument& doc) {
        WriteSmsSettings(doc, settings);
    });
    GetNotices().ShowMessage(text::kSmsSaved);
    Finish(wxID_OK);
}

void TSmsGatewayFrm::CancelClick() { Finish(wxID_CANCEL); }

void TSmsGatewayFrm::BrowseClick() {
    const std::string chosen = GetNotices().ChooseFileToOpen();
    if (!chosen.empty()) CaFileEdit->ChangeValue(wxString::FromUTF8(chosen));
}

// The answer comes from a worker of the dispatcher; it is shown from the UI thread, unless
// the dialog has closed meanwhile (the send log keeps it all the same).
void TSmsGatewayFrm::TestClick() {
    const SmsSettings settings = Settings();
    if (!SettingsUsable(settings)) return;
    const std::string number = FromWidget(TestNumberEdit->GetValue());
    if (number.find_first_not_of(" \t") == std::string::npos) {
        GetNotices().Box(Notices::Owner::None, text::kSmsTestNoNumber, text::kSmsGatewayCaption,
                         Notices::Icon::Error, Notices::Buttons::Ok);
        return;
    }
    m_dispatcher.SendSmsGatewayTest(
        settings, ToGbk(number), ToGbk(FromWidget(TestCodeEdit->GetValue())),
        ToGbk(text::kSmsTestText),
        [self = std::weak_ptr<TSmsGatewayFrm*>(m_self)](const TryResult& result) {
            RunSoon([self, sent = result.outcome == TryOutcome::Sent, reason = result.reason] {
                auto dialog = self.lock();
                if (dialog && *dialog) (*dialog)->ShowTestOutcome(sent, reason);
            });
        });
    TestButton->Disable();
    TestOutcome->SetLabelText(U8(text::kSmsTestSending));
}

void TSmsGatewayFrm::ShowTestOutcome(bool sent, const GbkText& reason) {
    TestButton->Enable();
    const wxString outcome =
        U8(sent ? text::kSmsTestSent : text::kSmsTestFailed) + FromGbk(ReadableAnswer(reason));
    TestOutcome->SetLabelText(outcome);
    TestOutcome->SetToolTip(outcome);
}

}  // namespace nuvaro
