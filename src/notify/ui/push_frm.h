#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "notify/delivery_channel.h"
#include "notify/push_settings.h"
#include "ui/modal_form.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

namespace nuvaro {

// Sends one test message over a channel on a worker; `done` hears the outcome there.
using PushTester =
    std::function<void(const PushChannel& channel, std::function<void(const TryResult&)> done)>;

// "推送设置": the push channels of push.inf, listed by kind and host only (their keys stay out
// of sight), added, changed and removed in the fields below the list, and written back on OK.
// "测试" sends a test message over the channel as the fields hold it and shows the answer.
class TPushFrm : public ModalForm {
  public:
    explicit TPushFrm(PushTester tester);
    ~TPushFrm() override;

    void FormShow() override;
    void AddClick();     // "添加": a new channel from the fields
    void EditClick();    // "修改": the selected channel becomes the fields
    void RemoveClick();  // "删除"
    void TestClick();    // "测试"
    void OkClick();      // "确定": writes push.inf, closes
    void CancelClick();  // "取消"
    void Select(int index);

    const std::vector<PushChannel>& Channels() const { return m_channels; }
    PushChannel Fields() const;

    wxListCtrl* ChannelList = nullptr;
    wxChoice* KindChoice = nullptr;
    wxTextCtrl* UrlEdit = nullptr;
    wxTextCtrl* SecretEdit = nullptr;  // shown masked
    wxTextCtrl* TitleEdit = nullptr;
    wxCheckBox* EnabledCheck = nullptr;
    wxButton *AddButton = nullptr, *EditButton = nullptr, *RemoveButton = nullptr;
    wxButton* TestButton = nullptr;
    wxStaticText* Outcome = nullptr;
    wxButton *OkButton = nullptr, *CancelButton = nullptr;

  private:
    void BuildList();
    void BuildFields();
    void Refill();
    // Shows what is wrong with the fields; false when something is.
    bool FieldsUsable(const PushChannel& channel);
    void ShowOutcome(const std::string& text);
    void KindChosen();

    PushTester m_tester;
    std::vector<PushChannel> m_channels;
    int m_selected = -1;
    std::shared_ptr<TPushFrm*> m_self;  // a test's answer finds the dialog gone
};

}  // namespace nuvaro
