#pragma once

#include <wx/dialog.h>

#include <functional>

namespace nuvaro {

class TConfig;

// The common base of the program's dialogs: created without an owner for one use, shown
// modally centred on the main window, in the program's font. Closing by the title bar counts
// as Cancel.
class ModalForm : public wxDialog {
  public:
    // `client` is the size of the client area, or of the whole window with `outerSize`.
    ModalForm(const wxString& caption, const wxSize& size, long style, bool outerSize = false);

    // Fills the controls (FormShow), then shows the dialog modally; returns wxID_OK or
    // wxID_CANCEL.
    int RunModal();

    // Ends the dialog with `result` (wxID_OK, wxID_CANCEL). Outside a modal run (tests driving
    // the handlers) it only records the result and hides.
    void Finish(int result);
    int Result() const { return GetReturnCode(); }

    virtual void FormShow() {}

  protected:
    // Centres the dialog on the main window (the application's top window).
    void CentreOnMainWindow();
    // Saves the whole slot and closes with OK. Once saved, `saved` runs and the user is told
    // "当前窗口：" + the slot's window name + `savedText`; a refused write is shown instead, and
    // nothing claims success.
    void CommitSlot(TConfig& slot, const char* savedText, const std::function<void()>& saved = {});
};

// Runs a one-use dialog modally and destroys it afterwards, also when an error escapes it.
template <typename Form, typename... Args>
int ShowOnce(Args&&... args) {
    auto* form = new Form(std::forward<Args>(args)...);
    struct Destroyer {
        Form* form;
        ~Destroyer() { form->Destroy(); }
    } destroyer{form};
    return form->RunModal();
}

}  // namespace nuvaro
