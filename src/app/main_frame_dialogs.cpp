// The main window's dialogs: monitoring condition, recipients, sender account, page source.
#include <stdexcept>

#include "ui/error_display.h"
#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "conditions/reg_frm.h"
#include "conditions/web_source_frm.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "notify/ui/email_frm.h"
#include "notify/ui/snm_set_frm.h"
#include "platform/gtk/web_browser.h"
#include "ui/wx_text.h"
#include "platform/notices.h"
#include "platform/services.h"

namespace nuvaro {

void TMainFrm::rzbitbtn8Click(int n) { ShowOnce<TRegFrm>(&Configs()[n + 1]); }

void TMainFrm::RzBitBtn7Click() { ShowOnce<TSNMSetFrm>(&Configs()[1], *m_dispatcher); }

void TMainFrm::RzBitBtn7NClick(int n) {
    ShowOnce<TSNMSetFrm>(&Configs()[n + 1], *m_dispatcher);
}

void TMainFrm::N7Click() { ShowOnce<TEmailFrm>(*m_dispatcher); }

void TMainFrm::RunBegin1Click() {
    ShowPageSource(DefaultPage().Browser(), text::kSourceErrorDefault);
}

void TMainFrm::WebSourceNClick(int n) {
    if (!Window(n)) return;
    GetTextNow(n);
    ShowPageSource(Configs()[n + 1].Browser, text::kSourceErrorAdded);
}

bool TMainFrm::SourceRequestPending() const { return !m_sourceRequest.expired(); }

// Reads the title and body markup of the browser's live document, keeps them, and shows them
// in the viewer. The read answers later; until then (and while the viewer is open) another
// request is not taken.
void TMainFrm::ShowPageSource(WebBrowser* browser, const char* errorPrefix) {
    auto fail = [errorPrefix](const wxString& why) {
        GetNotices().Box(nullptr, U8(errorPrefix) + why, U8(text::kCaptionError),
                         Notices::Icon::None, Notices::Buttons::Ok);
    };
    if (SourceRequestPending()) return;
    if (!browser || browser->LocationURL().empty()) return fail(U8(text::kNoDocument));
    auto request = std::make_shared<bool>(true);
    m_sourceRequest = request;
    browser->ReadPage([this, request, fail](const PageContent& page) {
        try {
            if (!page.ok) throw std::runtime_error(GbkToUtf8(page.error));
            PageTitle = page.title;
            if (!page.hasBody) throw std::runtime_error(text::kNoBody);
            PageSource = page.body;
            ShowOnce<TWebSourceFrm>(PageTitle, PageSource);
        } catch (const std::exception& e) {
            fail(MessageText(e.what()));
        }
    });
}

}  // namespace nuvaro
