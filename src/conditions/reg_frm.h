#pragma once

#include "ui/modal_form.h"

class wxButton;
class wxTextCtrl;

namespace nuvaro {

class TConfig;

// Sets one window's monitoring condition: a keyword or regular expression of any number of
// lines, saved with the whole slot at once.
class TRegFrm : public ModalForm {
  public:
    // `slot` may be null: the dialog then saves nothing. `saved` runs once the condition is
    // saved (its window's last notified text is then forgotten).
    explicit TRegFrm(TConfig* slot, std::function<void()> saved = {});

    void FormShow() override;
    void OkClick();      // "确定"; refuses an expression that does not compile
    void CancelClick();  // "取消"

    wxTextCtrl* Memo() const { return m_memo; }
    wxButton* OkButton() const { return m_ok; }
    wxButton* CancelButton() const { return m_cancel; }

  private:
    TConfig* m_slot;
    std::function<void()> m_saved;
    wxTextCtrl* m_memo = nullptr;
    wxButton* m_ok = nullptr;
    wxButton* m_cancel = nullptr;
};

}  // namespace nuvaro
