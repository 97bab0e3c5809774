// The main window's dialogs: monitoring condition, recipients, sender account, SMS gateway,
// page source.
#include <stdexcept>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "conditions/reg_frm.h"
#include "conditions/web_source_frm.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/page_reader.h"
#include "notify/ui/email_frm.h"
#include "notify/ui/sms_gateway_frm.h"
#include "notify/ui/snm_set_frm.h"
#include "platform/browser_panel.h"
#include "services/notices.h"
#include "services/services.h"
#include "services/ui_work_queue.h"
#include "ui/error_display.h"

namespace nuvaro {
namespace {

// Why a page source read gave nothing to show (UTF-8); empty when it gave the page.
std::string ReadFailure(const PageReader::Result& result) {
    using Status = PageReader::Result::Status;
    switch (result.status) {
        case Status::ReadTimedOut:
            return text::kReadTimedOut;
        case Status::NoDocument:
            return text::kNoDocument;
        case Status::Unresponsive:
            return text::kScriptUnresponsive;
        case Status::Read:
            break;
        default:
            return text::kNoDocument;
    }
    if (!result.page.ok) return result.page.error;
    if (!result.page.hasBody) return text::kNoBody;
    return {};
}

}  // namespace

void TMainFrm::ConditionClick(int n) {
    nuvaro::PageSource* page = nullptr;
    if (n == 0) {
        page = DefaultPage().Browser();
    } else if (Window(n)) {
        GetTextNow(n);
        page = Configs()[SlotOf(n)].Browser;
    }
    ShowOnce<TRegFrm>(
        &Configs()[SlotOf(n)], [this, n] { Engine().ForgetLastMatch(n); }, page);
}

void TMainFrm::RecipientsClick() { ShowOnce<TSNMSetFrm>(&Configs()[1], Dispatcher()); }

void TMainFrm::RecipientsNClick(int n) {
    ShowOnce<TSNMSetFrm>(&Configs()[SlotOf(n)], Dispatcher());
}

void TMainFrm::MailAccountClick() { ShowOnce<TEmailFrm>(Dispatcher()); }

void TMainFrm::SmsGatewayClick() { ShowOnce<TSmsGatewayFrm>(Dispatcher()); }

void TMainFrm::ViewSourceClick() {
    ShowPageSource(0, DefaultPage().Browser(), text::kSourceErrorDefault);
}

void TMainFrm::ViewSourceNClick(int n) {
    if (!Window(n)) return;
    GetTextNow(n);
    ShowPageSource(n, Configs()[SlotOf(n)].Browser, text::kSourceErrorAdded);
}

// Reads the title and body markup of the browser's live document, keeps them, and shows them
// in the viewer. The read answers later, within the tick's read time-out; until then another
// request of the same window is not taken. The viewer opens from a turn of the loop of its
// own, so its modal loop holds up nothing that other windows are waiting for.
void TMainFrm::ShowPageSource(int n, nuvaro::PageSource* browser, const char* errorPrefix) {
    auto fail = [errorPrefix](const std::string& why) {
        GetNotices().PostBox(Notices::Owner::None, errorPrefix + why, text::kCaptionError,
                             Notices::Icon::None, {});
    };
    if (SourceRequestPending(n)) return;
    if (!browser || browser->LocationURL().empty()) return fail(text::kNoDocument);
    auto reader = std::make_unique<PageReader>(*browser, m_program.Clock(), Engine().Timeouts());
    PageReader& read = *reader;
    m_sourceReads[n] = std::move(reader);
    read.Start(PageReader::Reload::None, {}, std::chrono::milliseconds(0),
               [this, n, fail, alive = std::weak_ptr<bool>(m_alive)](const PageReader::Result& r) {
                   auto finished = std::move(m_sourceReads[n]);  // ends with this call
                   m_sourceReads.erase(n);
                   if (r.page.ok) PageTitle = r.page.title;
                   std::string why = ReadFailure(r);
                   if (!why.empty()) return fail(why);
                   PageSource = r.page.body;
                   RunSoon([this, alive, fail] {
                       if (alive.expired()) return;
                       try {
                           ShowOnce<TWebSourceFrm>(PageTitle, PageSource);
                       } catch (const std::exception& e) {
                           fail(e.what());
                       }
                   });
               });
}

}  // namespace nuvaro
