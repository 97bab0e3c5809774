#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/ini_file.h"
#include "services/engine_clock.h"

namespace nuvaro {

// config.ini [Sites]: how hard the windows may press one site (host and port).
struct SiteSettings {
    int perSite = 2;              // PerSite: page loads of one site at once (1..30)
    std::chrono::seconds gap{2};  // GapSeconds: between two starts of one site (0..600)
};
SiteSettings ReadSiteSettings(const IniDocument& configIni);

// The site of an address: "host:port" (host in lower case, the scheme's port when none is
// given; an address without a scheme is http). Empty for what has no host (about:, file:).
std::string SiteOf(std::string_view url);

// The loads of the windows' ticks, site by site: at most `perSite` of one site at once, started
// at least `gap` apart, in the order they asked. A site that answered 429 or 503 holds every
// window of it: until the time its Retry-After names (at most an hour), or without one for a
// back-off that doubles from a minute up to half an hour and ends at the site's next success.
class SiteGate {
  public:
    using TimePoint = EngineClock::TimePoint;
    static constexpr std::chrono::hours kLongestHold{1};
    static constexpr std::chrono::minutes kFirstBackOff{1};
    static constexpr std::chrono::minutes kLongestBackOff{30};

    explicit SiteGate(EngineClock& clock, SiteSettings settings = {});
    SiteGate(const SiteGate&) = delete;
    SiteGate& operator=(const SiteGate&) = delete;

    void SetSettings(SiteSettings settings);
    const SiteSettings& Settings() const { return m_settings; }

    // Runs `start` once window n may load from `site`: now, from inside this call, when it
    // may at once; later from the loop. A window asks once at a time (asking again drops its
    // earlier request). An empty site is never held back.
    void Ask(int n, const std::string& site, std::function<void()> start);
    // Window n's load is over (or its run ended, or the window went): its place is free.
    // Drops a request still waiting too.
    void Release(int n);

    // What the site answered window n's load: an HTTP status (0: none) and its Retry-After.
    // Returns until when the site is held when it asked to wait (429, 503).
    std::optional<TimePoint> Answered(const std::string& site, int status,
                                      std::string_view retryAfter,
                                      std::chrono::system_clock::time_point wallNow);

    // While the site holds its windows: until when.
    std::optional<TimePoint> HeldUntil(const std::string& site) const;
    // Window n waits for a place (its request is queued).
    bool Waiting(int n) const;
    // Loads under way, of one site or of all.
    int Loading(const std::string& site) const;
    int Loading() const;

  private:
    struct Site {
        std::deque<std::pair<int, std::function<void()>>> queue;
        int loading = 0;
        std::optional<TimePoint> lastStart;
        TimePoint heldUntil{};
        std::chrono::seconds backOff{0};
    };
    // When the site's next load may start (now or later); nullopt while its places are full.
    std::optional<TimePoint> NextStart(const Site& site) const;
    bool MayStart(const Site& site, TimePoint now) const;
    void Pump();
    void Take(int n, const std::string& name, Site& site);

    EngineClock& m_clock;
    SiteSettings m_settings;
    std::map<std::string, Site> m_sites;
    std::map<int, std::string> m_loadingSite;  // window -> the site whose place it holds
    OneShot m_timer;
};

}  // namespace nuvaro
