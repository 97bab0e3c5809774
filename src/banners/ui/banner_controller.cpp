#include "banners/ui/banner_controller.h"

#include <exception>

#include "banners/banner_cache.h"
#include "banners/banner_link.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "services/notices.h"
#include "services/shell.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

const wxColour kTopStripColour(0xAD, 0xB7, 0xEC);
const wxColour kWindowColour(0xD4, 0xD9, 0xEF);

std::string CacheFile() { return ExeDirFile(kBannerCacheFile); }

}  // namespace

BannerController::BannerController(TScrollText* banner1, TScrollText* banner2, TScrollText* banner3,
                                   Shell& shell, Notices& notices)
    : m_banners{banner1, banner2, banner3}, m_shell(shell), m_notices(notices) {
    const char* builtIn[] = {text::kBanner1, text::kBanner2, text::kBanner3};
    const wxFont font = SimSunFont(12);
    for (size_t i = 0; i < m_banners.size(); ++i) {
        TScrollText* banner = m_banners[i];
        banner->SetFont(font);
        banner->SetForegroundColour(*wxBLACK);
        banner->SetBackgroundColour(i == 0 ? kTopStripColour : kWindowColour);
        banner->SetScrollText(U8(builtIn[i]));
        banner->SetOnClick(nullptr);
    }
    banner1->SetOnClick([this] { OpenLink(m_values.ADurl1); });
    banner3->SetOnClick([this] { OpenLink(m_values.ADurl3); });

    m_startTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &BannerController::OnStartTimer, this, m_startTimer.GetId());
}

BannerController::~BannerController() {
    Shutdown();
    for (auto& banner : m_banners) {
        if (banner) banner->SetOnClick(nullptr);
    }
}

void BannerController::FillFromCache() {
    std::optional<Announcement> cached = ReadAnnouncementCache(CacheFile());
    if (!cached) return;
    m_values = *cached;
    SetBanner(0, m_values.AD1);
    SetBanner(1, m_values.AD2);
    SetBanner(2, m_values.AD3);
}

void BannerController::Start() {
    if (!m_shutDown && !m_thread) m_startTimer.StartOnce(kStartDelayMs);
}

void BannerController::Pause(bool paused) {
    for (auto& banner : m_banners) {
        if (banner) banner->SetActive(!paused);
    }
}

void BannerController::Shutdown() {
    m_shutDown = true;
    m_startTimer.Stop();
    if (m_thread) m_thread->Abort();
    // A cancelled fetch ends at once; a thread that does not end within a second is left
    // behind, and what it brings is never handed over.
    m_thread.reset();
}

void BannerController::OnStartTimer(wxTimerEvent&) {
    m_endpoint = ReadAnnouncementEndpoint(CacheFile());
    // No endpoint configured: the banners keep the cached or built-in texts.
    if (m_shutDown || m_endpoint.empty() || m_thread) return;
    m_thread = std::make_unique<TGetThread>(m_endpoint, [this](TGetThread::Result result) {
        // On the fetching thread; Shutdown guarantees `this` is alive while this runs, and the
        // queued call is dropped with this handler if it goes first.
        CallAfter([this, result] { Fetched(result); });
    });
    m_thread->Resume();
}

void BannerController::Fetched(const TGetThread::Result& result) {
    if (m_shutDown) return;
    if (!result.ok) {
        // The cache and the banners stay as they are.
        m_notices.PostMessage(text::kCannotOpen + m_endpoint);
        return;
    }
    m_values = result.values;
    BannerTexts texts = FetchedBannerTexts(result.values);
    SetBanner(0, texts.banner1);
    SetBanner(1, texts.banner2);
    SetBanner(2, texts.banner3);
    try {
        WriteAnnouncementCache(CacheFile(), result.values);
    } catch (const std::exception& e) {
        m_notices.PostErrorBox(Notices::Owner::None, e.what());
    }
}

void BannerController::SetBanner(size_t index, const std::string& text) {
    if (m_banners[index]) m_banners[index]->SetScrollText(ToWidget(text));
}

void BannerController::OpenLink(const std::string& link) {
    // The target is ASCII: BannerLinkTarget percent-encodes every other byte.
    if (std::optional<std::string> target = BannerLinkTarget(link)) m_shell.OpenDocument(*target);
}

}  // namespace nuvaro
