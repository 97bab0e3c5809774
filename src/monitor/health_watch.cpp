#include "monitor/health_watch.h"

#include <algorithm>
#include <ctime>

#include "core/date_time.h"
#include "core/notice_texts.h"
#include "core/text_util.h"
#include "monitor/window_status_text.h"

namespace nuvaro {
namespace {

constexpr const char* kSection = "Health";

int Number(const IniDocument& doc, const char* key, int fallback, int low, int high) {
    auto value = doc.Read(kSection, key);
    auto number = value ? ParseInteger(*value) : std::nullopt;
    if (!number) return fallback;
    return static_cast<int>(std::clamp<long long>(*number, low, high));
}

bool Flag(const IniDocument& doc, const char* key, bool fallback) {
    auto value = doc.Read(kSection, key);
    if (!value) return fallback;
    std::string_view v = TrimControls(*value);
    if (v == "1") return true;
    if (v == "0") return false;
    return fallback;
}

}  // namespace

HealthSettings ReadHealthSettings(const IniDocument& doc) {
    HealthSettings s;
    s.enabled = Flag(doc, "Enabled", s.enabled);
    s.failTicks = Number(doc, "FailTicks", s.failTicks, 1, 1000);
    s.failMinutes = Number(doc, "FailMinutes", s.failMinutes, 0, 7 * 24 * 60);
    s.remindHours = Number(doc, "RemindHours", s.remindHours, 0, 24 * 365);
    s.recovery = Flag(doc, "Recovery", s.recovery);
    s.program = Flag(doc, "Program", s.program);
    s.lostMatch = Flag(doc, "LostMatch", s.lostMatch);
    return s;
}

void WriteHealthSettings(IniDocument& doc, const HealthSettings& s) {
    auto flag = [&](const char* key, bool on) { doc.Write(kSection, key, on ? "1" : "0"); };
    flag("Enabled", s.enabled);
    doc.Write(kSection, "FailTicks", std::to_string(s.failTicks));
    doc.Write(kSection, "FailMinutes", std::to_string(s.failMinutes));
    doc.Write(kSection, "RemindHours", std::to_string(s.remindHours));
    flag("Recovery", s.recovery);
    flag("Program", s.program);
    flag("LostMatch", s.lostMatch);
}

bool HealthWatch::Failed(const HealthTick& tick, const HealthSettings& settings) const {
    if (tick.result == HealthTick::Result::Failed) return true;
    return tick.result == HealthTick::Result::NothingFound && settings.lostMatch && m_hadMatch;
}

void HealthWatch::Reset() {
    m_state = State::Healthy;
    m_failedTicks = 0;
    m_reason.clear();
}

HealthWatch::Event HealthWatch::OnTick(const HealthTick& tick, WallTime now,
                                       const HealthSettings& settings) {
    const bool failed = settings.enabled && Failed(tick, settings);
    if (tick.result == HealthTick::Result::Good) m_hadMatch = true;
    if (!failed) {
        const bool told = m_state == State::Told;
        Reset();
        return told && settings.enabled && settings.recovery ? Event::Recovered : Event::None;
    }
    if (m_state == State::Healthy) {
        m_state = State::Failing;
        m_since = now;
    }
    ++m_failedTicks;
    m_reason = tick.result == HealthTick::Result::Failed ? tick.reason : text::kHealthLostMatch;
    if (m_state == State::Failing && m_failedTicks >= settings.failTicks &&
        now - m_since >= std::chrono::minutes(settings.failMinutes)) {
        m_state = State::Told;
        m_toldAt = now;
        return Event::Failing;
    }
    if (m_state == State::Told && settings.remindHours > 0 &&
        now - m_toldAt >= std::chrono::hours(settings.remindHours)) {
        m_toldAt = now;
        return Event::Reminder;
    }
    return Event::None;
}

std::string DurationText(std::chrono::seconds duration) {
    const long long minutes = std::max<long long>(0, duration.count() / 60);
    const long long days = minutes / (24 * 60), hours = minutes / 60 % 24, rest = minutes % 60;
    std::string out;
    auto part = [&](long long n, const char* unit) {
        if (!out.empty()) out += ' ';
        out += std::to_string(n) + " " + unit;
    };
    if (days) part(days, text::kDurationDays);
    if (hours) part(hours, text::kDurationHours);
    if (rest || out.empty()) part(rest, text::kDurationMinutes);
    return out;
}

HealthNoticeText ComposeHealthNotice(HealthWatch::Event event, const HealthFacts& f) {
    const bool recovered = event == HealthWatch::Event::Recovered;
    HealthNoticeText n;
    n.subject = std::string(recovered ? text::kHealthRecoveredTitle : text::kHealthFailingTitle) +
                (event == HealthWatch::Event::Reminder ? text::kHealthReminder : "") + "：" +
                f.window;
    std::string& b = n.body;
    b = std::string(n.subject) + "\r\n" + text::kHealthWindow + f.window + "\r\n";
    b += std::string(text::kHealthPage) + f.url + "\r\n";
    b += std::string(text::kHealthSince) + WallTimeText(f.since) + "\r\n";
    const auto lasted = std::chrono::duration_cast<std::chrono::seconds>(f.now - f.since);
    if (recovered) {
        b += std::string(text::kHealthRecoveredAt) + WallTimeText(f.now) + "\r\n";
        b += std::string(text::kHealthLasted) + DurationText(lasted) + "\r\n";
        return n;
    }
    b += std::string(text::kHealthReason) + f.reason + "\r\n";
    b += std::string(text::kHealthFailedTicks) + std::to_string(f.failedTicks) + "\r\n";
    b += std::string(text::kHealthLasted) + DurationText(lasted) + "\r\n";
    return n;
}

}  // namespace nuvaro
