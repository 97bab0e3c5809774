#pragma once

#include <wx/timer.h>

#include <chrono>
#include <memory>

#include "monitor/condition_trial.h"
#include "ui/modal_form.h"

class wxButton;
class wxChoice;
class wxTextCtrl;

namespace nuvaro {

class PageSource;
class TConfig;

// Sets one window's monitoring condition: a keyword or regular expression of any number of
// lines, a rule about the number it finds, what it reads of the page (markup or visible text,
// the whole body or the elements of a selector) and what it ignores; saved with the whole slot
// at once. "试一试" applies it to the page as it stands in the window.
class TRegFrm : public ModalForm {
  public:
    // `slot` may be null: the dialog then saves nothing. `saved` runs once the condition is
    // saved (its window's last notified text is then forgotten). `page` is the window's browser
    // (may be null): "试一试" reads it, and a selector is checked by its engine when saved.
    explicit TRegFrm(TConfig* slot, std::function<void()> saved = {}, PageSource* page = nullptr);
    ~TRegFrm() override;

    void FormShow() override;
    void OkClick();      // "确定"; refuses a field that cannot be used
    void CancelClick();  // "取消"
    void TryClick();     // "试一试"

    wxTextCtrl* Memo() const { return m_memo; }
    wxChoice* RuleChoice() const { return m_rule; }
    wxTextCtrl* ValueEdit() const { return m_value; }
    wxChoice* ReadChoice() const { return m_read; }
    wxTextCtrl* SelectorEdit() const { return m_selector; }
    wxTextCtrl* IgnoreEdit() const { return m_ignore; }
    wxTextCtrl* TrialText() const { return m_trial; }
    wxButton* OkButton() const { return m_ok; }
    wxButton* CancelButton() const { return m_cancel; }
    wxButton* TryButton() const { return m_try; }
    // A read of the page is under way ("试一试", or the selector's check on saving).
    bool Reading() const { return m_reading; }
    // How long a read may take before the dialog gives up on it and can be used again.
    void SetReadTimeout(std::chrono::milliseconds timeout) { m_readTimeout = timeout; }

  private:
    void MakeFields();
    ConditionFields Fields() const;
    void ShowFields(const TConfig& slot);
    bool Refuse(const char* label, const std::string& reason, wxWindow* field);
    void AskPage(const ConditionFields& fields,
                 std::function<void(const ConditionFields&, const PageContent&)> answer);
    void Save(const ConditionFields& fields);
    void EndRead();
    void ReadTimedOut();

    TConfig* m_slot;
    std::function<void()> m_saved;
    PageSource* m_page;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    bool m_reading = false;
    int m_readSerial = 0;  // an answer of an earlier read, given up on, is dropped
    std::chrono::milliseconds m_readTimeout{20000};
    wxTimer m_readTimer;
    wxTextCtrl* m_memo = nullptr;
    wxChoice* m_rule = nullptr;
    wxTextCtrl* m_value = nullptr;
    wxChoice* m_read = nullptr;
    wxTextCtrl* m_selector = nullptr;
    wxTextCtrl* m_ignore = nullptr;
    wxTextCtrl* m_trial = nullptr;
    wxButton* m_ok = nullptr;
    wxButton* m_cancel = nullptr;
    wxButton* m_try = nullptr;
};

}  // namespace nuvaro
