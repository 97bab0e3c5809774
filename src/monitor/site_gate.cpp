#include "monitor/site_gate.h"

#include <algorithm>

#include "core/text_util.h"
#include "monitor/retry_after.h"

namespace nuvaro {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kSection = "Sites";

int ReadNumber(const IniDocument& doc, std::string_view key, int fallback, int low, int high) {
    auto value = ParseInteger(TrimControls(doc.Read(kSection, key).value_or("")));
    if (!value || *value < low || *value > high) return fallback;
    return static_cast<int>(*value);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace

SiteSettings ReadSiteSettings(const IniDocument& configIni) {
    SiteSettings settings;
    settings.perSite = ReadNumber(configIni, "PerSite", settings.perSite, 1, 30);
    settings.gap = std::chrono::seconds(
        ReadNumber(configIni, "GapSeconds", static_cast<int>(settings.gap.count()), 0, 600));
    return settings;
}

std::string SiteOf(std::string_view url) {
    url = TrimControls(url);
    std::string scheme = "http";
    if (auto colon = url.find("://"); colon != std::string_view::npos) {
        scheme = Lower(url.substr(0, colon));
        url.remove_prefix(colon + 3);
    } else if (url.find(':') != std::string_view::npos && url.find(':') < url.find_first_of("/.")) {
        return {};  // about:blank, mailto:, ...
    }
    if (scheme != "http" && scheme != "https") return {};
    std::string_view authority = url.substr(0, url.find_first_of("/?#\\"));
    if (auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority, port;
    const size_t close = authority.rfind(']');
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && (close == std::string_view::npos || colon > close)) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) return {};
    if (port.empty()) port = scheme == "https" ? "443" : "80";
    return Lower(host) + ":" + std::string(port);
}

SiteGate::SiteGate(EngineClock& clock, SiteSettings settings)
    : m_clock(clock), m_settings(settings), m_timer(clock) {}

void SiteGate::SetSettings(SiteSettings settings) {
    m_settings = settings;
    Pump();
}

void SiteGate::Ask(int n, const std::string& site, std::function<void()> start) {
    Release(n);
    if (site.empty()) return start();
    Site& s = m_sites[site];
    s.queue.emplace_back(n, std::move(start));
    if (s.queue.size() == 1 && MayStart(s, m_clock.Now())) {
        auto go = std::move(s.queue.front().second);
        s.queue.pop_front();
        Take(n, site, s);
        return go();
    }
    Pump();
}

void SiteGate::Release(int n) {
    for (auto& [name, site] : m_sites) {
        std::erase_if(site.queue, [n](const auto& entry) { return entry.first == n; });
    }
    auto held = m_loadingSite.find(n);
    if (held == m_loadingSite.end()) return;
    --m_sites[held->second].loading;
    m_loadingSite.erase(held);
    Pump();
}

bool SiteGate::MayStart(const Site& site, TimePoint now) const {
    auto next = NextStart(site);
    return next && *next <= now;
}

std::optional<SiteGate::TimePoint> SiteGate::NextStart(const Site& site) const {
    if (site.loading >= m_settings.perSite) return std::nullopt;
    TimePoint next = site.heldUntil;
    if (site.lastStart) next = std::max(next, *site.lastStart + m_settings.gap);
    return next;
}

void SiteGate::Take(int n, const std::string& name, Site& site) {
    ++site.loading;
    site.lastStart = m_clock.Now();
    m_loadingSite[n] = name;
}

// Starts what may start now, from the loop, and wakes up when the next may.
void SiteGate::Pump() {
    const TimePoint now = m_clock.Now();
    std::optional<TimePoint> wake;
    for (auto& [name, site] : m_sites) {
        while (!site.queue.empty() && MayStart(site, now)) {
            auto [n, start] = std::move(site.queue.front());
            site.queue.pop_front();
            Take(n, name, site);
            m_clock.StartOnce(milliseconds(0), std::move(start));
        }
        auto next = site.queue.empty() ? std::nullopt : NextStart(site);
        if (next && (!wake || *next < *wake)) wake = next;
    }
    if (!wake) return m_timer.Stop();
    auto delay = std::chrono::ceil<milliseconds>(*wake - now);
    m_timer.Start(std::max(delay, milliseconds(1)), [this] { Pump(); });
}

std::optional<SiteGate::TimePoint> SiteGate::Answered(
    const std::string& site, int status, std::string_view retryAfter,
    std::chrono::system_clock::time_point wallNow) {
    if (site.empty()) return std::nullopt;
    Site& s = m_sites[site];
    if (status != 429 && status != 503) {
        if (status > 0 && status < 400) s.backOff = std::chrono::seconds(0);
        return std::nullopt;
    }
    std::chrono::seconds hold;
    if (auto delay = RetryAfterDelay(retryAfter, wallNow)) {
        hold = std::min<std::chrono::seconds>(*delay, kLongestHold);
    } else {
        s.backOff = s.backOff.count() == 0
                        ? std::chrono::seconds(kFirstBackOff)
                        : std::min<std::chrono::seconds>(s.backOff * 2, kLongestBackOff);
        hold = s.backOff;
    }
    s.heldUntil = std::max(s.heldUntil, m_clock.Now() + hold);
    Pump();
    return s.heldUntil;
}

std::optional<SiteGate::TimePoint> SiteGate::HeldUntil(const std::string& site) const {
    auto it = m_sites.find(site);
    if (it == m_sites.end() || it->second.heldUntil <= m_clock.Now()) return std::nullopt;
    return it->second.heldUntil;
}

bool SiteGate::Waiting(int n) const {
    for (const auto& [name, site] : m_sites) {
        for (const auto& entry : site.queue) {
            if (entry.first == n) return true;
        }
    }
    return false;
}

int SiteGate::Loading(const std::string& site) const {
    auto it = m_sites.find(site);
    return it == m_sites.end() ? 0 : it->second.loading;
}

int SiteGate::Loading() const { return static_cast<int>(m_loadingSite.size()); }

}  // namespace nuvaro
