#include "notify/ui/push_frm.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "core/atomic_file.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/notice_texts.h"
#include "core/private_files.h"
#include "core/texts.h"
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

TPushFrm::TPushFrm(PushTester tester)
    : ModalForm(U8(text::kPushCaption), wxSize(560, 430), wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_tester(std::move(tester)),
      m_self(std::make_shared<TPushFrm*>(this)) {
    SetName("PushFrm");
    BuildList();
    BuildFields();
    OkButton = MakeButton(this, text::kOk, "OkButton",
                          {392, 396, kStandardButtonWidth, kStandardButtonHeight});
    CancelButton = MakeButton(this, text::kCancel, "CancelButton",
                              {476, 396, kStandardButtonWidth, kStandardButtonHeight});
    OkButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { OkClick(); }); });
    CancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelClick(); });
}

TPushFrm::~TPushFrm() { *m_self = nullptr; }

void TPushFrm::BuildList() {
    ChannelList = new wxListCtrl(this, wxID_ANY, wxPoint(8, 8), wxSize(544, 150),
                                 wxLC_REPORT | wxLC_SINGLE_SEL);
    ChannelList->SetName("ChannelList");
    ChannelList->SetFont(design::FormFont());
    ChannelList->AppendColumn(U8("#"), wxLIST_FORMAT_LEFT, 60);
    ChannelList->AppendColumn(U8(text::kPushListKind), wxLIST_FORMAT_LEFT, 100);
    ChannelList->AppendColumn(U8(text::kPushListUrl), wxLIST_FORMAT_LEFT, 300);
    ChannelList->AppendColumn(U8(text::kPushListEnabled), wxLIST_FORMAT_LEFT, 60);
    ChannelList->Bind(wxEVT_LIST_ITEM_SELECTED,
                      [this](wxListEvent& e) { Guarded([&] { Select(e.GetIndex()); }); });
}

void TPushFrm::BuildFields() {
    auto* group = new GroupBox(this, U8(text::kPushCaption), {8, 164}, {544, 224});
    wxArrayString kinds;
    for (PushKind kind : PushKinds()) kinds.Add(PushKindName(kind));
    KindChoice = new wxChoice(group, wxID_ANY, wxPoint(96, 17), wxSize(150, 30), kinds);
    KindChoice->SetName("KindChoice");
    KindChoice->SetFont(design::FormFont());
    KindChoice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { KindChosen(); });
    EnabledCheck =
        MakeCheck(group, text::kPushEnabledLabel, "EnabledCheck", {286, 22, 80, 20}, false);
    KeepApart({MakeLabel(group, text::kPushKindLabel, 12, 24), KindChoice, EnabledCheck});
    KeepApart({MakeLabel(group, text::kPushUrlLabel, 12, 57),
               UrlEdit = MakeEdit(group, "UrlEdit", {96, 54, 436, 21})});
    KeepApart({MakeLabel(group, text::kPushSecretLabel, 12, 85),
               SecretEdit = MakeEdit(group, "SecretEdit", {96, 82, 436, 21}, wxTE_PASSWORD)});
    KeepApart({MakeLabel(group, text::kPushTitleLabel, 12, 113),
               TitleEdit = MakeEdit(group, "TitleEdit", {96, 110, 436, 21})});
    AddButton = MakeButton(group, text::kPushAdd, "AddButton", {96, 142, 80, 25});
    EditButton = MakeButton(group, text::kPushEdit, "EditButton", {184, 142, 80, 25});
    RemoveButton = MakeButton(group, text::kPushRemove, "RemoveButton", {272, 142, 80, 25});
    TestButton = MakeButton(group, text::kPushTest, "TestButton", {452, 142, 80, 25});
    Outcome = new wxStaticText(group, wxID_ANY, wxEmptyString, wxPoint(12, 178), wxSize(520, 36),
                               wxST_NO_AUTORESIZE);
    Outcome->SetFont(design::FormFont());
    Outcome->SetName("TestOutcome");
    AddButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { AddClick(); }); });
    EditButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { EditClick(); }); });
    RemoveButton->Bind(wxEVT_BUTTON,
                       [this](wxCommandEvent&) { Guarded([this] { RemoveClick(); }); });
    TestButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Guarded([this] { TestClick(); }); });
}

void TPushFrm::FormShow() {
    m_channels = ReadPushChannels(IniFile(ExeDirFile(kPushFileName)).Load());
    KindChoice->SetSelection(0);
    EnabledCheck->SetValue(true);
    KindChosen();
    Refill();
    if (!m_channels.empty()) Select(0);
}

void TPushFrm::Refill() {
    ChannelList->DeleteAllItems();
    for (size_t i = 0; i < m_channels.size(); ++i) {
        const PushChannel& c = m_channels[i];
        const long row = ChannelList->InsertItem(static_cast<long>(i), ToWidget(c.section));
        ChannelList->SetItem(row, 1, ToWidget(c.kind));
        // The host only: the rest of the address is the robot's key.
        std::string label = PushChannelLabel(c);
        ChannelList->SetItem(row, 2,
                             ToWidget(label.substr(std::min(label.size(), c.kind.size() + 1))));
        ChannelList->SetItem(row, 3, c.enabled ? U8("√") : U8(""));
    }
}

void TPushFrm::Select(int index) {
    if (index < 0 || index >= static_cast<int>(m_channels.size())) return;
    m_selected = index;
    const PushChannel& c = m_channels[index];
    auto kind = PushKindNamed(c.kind);
    const auto& kinds = PushKinds();
    KindChoice->SetSelection(
        kind ? static_cast<int>(std::find(kinds.begin(), kinds.end(), *kind) - kinds.begin()) : 0);
    UrlEdit->ChangeValue(ToWidget(c.url));
    SecretEdit->ChangeValue(ToWidget(c.secret));
    TitleEdit->ChangeValue(ToWidget(c.title));
    EnabledCheck->SetValue(c.enabled);
    if (ChannelList->GetItemState(index, wxLIST_STATE_SELECTED) == 0)
        ChannelList->SetItemState(index, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

// A new channel starts from the kind's address, to which the user adds the key.
void TPushFrm::KindChosen() {
    const int at = KindChoice->GetSelection();
    if (at < 0) return;
    const std::string url = FromWidget(UrlEdit->GetValue());
    bool example = url.empty();
    for (PushKind kind : PushKinds()) example = example || url == PushKindExample(kind);
    if (example) UrlEdit->ChangeValue(PushKindExample(PushKinds()[at]));
}

PushChannel TPushFrm::Fields() const {
    PushChannel c;
    c.section = m_selected >= 0 ? m_channels[m_selected].section
                                : "push" + std::to_string(m_channels.size() + 1);
    const int at = KindChoice->GetSelection();
    c.kind = at >= 0 ? PushKindName(PushKinds()[at]) : "";
    c.url = FromWidget(UrlEdit->GetValue());
    c.secret = FromWidget(SecretEdit->GetValue());
    c.title = FromWidget(TitleEdit->GetValue());
    c.enabled = EnabledCheck->GetValue();
    return c;
}

bool TPushFrm::FieldsUsable(const PushChannel& channel) {
    const std::string wrong = CheckPushChannel(channel);
    if (wrong.empty()) return true;
    ShowOutcome(wrong);
    GetNotices().Box(Notices::Owner::None, wrong, text::kPushCaption, Notices::Icon::Error,
                     Notices::Buttons::Ok);
    return false;
}

void TPushFrm::AddClick() {
    m_selected = -1;
    PushChannel c = Fields();
    if (!FieldsUsable(c)) return;
    m_channels.push_back(c);
    Refill();
    Select(static_cast<int>(m_channels.size()) - 1);
}

void TPushFrm::EditClick() {
    if (m_selected < 0) return AddClick();
    PushChannel c = Fields();
    if (!FieldsUsable(c)) return;
    m_channels[m_selected] = c;
    Refill();
    Select(m_selected);
}

void TPushFrm::RemoveClick() {
    if (m_selected < 0) return;
    m_channels.erase(m_channels.begin() + m_selected);
    m_selected = -1;
    WritePushChannels(m_channels);  // renumbers the sections
    Refill();
    if (!m_channels.empty()) Select(0);
}

// The answer comes from a worker; it is shown from the UI thread unless the dialog has closed.
void TPushFrm::TestClick() {
    const PushChannel c = Fields();
    if (!FieldsUsable(c)) return;
    TestButton->Disable();
    ShowOutcome(text::kPushSending);
    m_tester(c, [self = std::weak_ptr<TPushFrm*>(m_self)](const TryResult& result) {
        RunSoon([self, result] {
            auto dialog = self.lock();
            if (!dialog || !*dialog) return;
            (*dialog)->TestButton->Enable();
            const char* head =
                result.outcome == TryOutcome::Sent ? text::kPushTestSent : text::kPushTestFailed;
            (*dialog)->ShowOutcome(head + std::string(text::kPushAnswer) +
                                   ToUtf8(ReadableAnswer(result.reason)));
        });
    });
}

void TPushFrm::ShowOutcome(const std::string& text) {
    wxString shown = ToWidget(text);
    shown.Replace("\r", " ");
    shown.Replace("\n", " ");
    Outcome->SetLabelText(shown);
    Outcome->SetToolTip(shown);
}

// push.inf holds the robots' keys: owner-only.
void TPushFrm::OkClick() {
    const std::string content = WritePushChannels(m_channels);
    const std::string file = ExeDirFile(kPushFileName);
    ReplaceFileAtomically(file, content, kPrivateFileMode);
    MakePrivate(file);  // also a file the user made with other rights
    Finish(wxID_OK);
}

void TPushFrm::CancelClick() { Finish(wxID_CANCEL); }

}  // namespace nuvaro
