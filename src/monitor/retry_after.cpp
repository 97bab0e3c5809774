#include "monitor/retry_after.h"

#include <array>
#include <cctype>
#include <limits>
#include <string>

#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// Splits at blanks and the given separators; empty pieces are dropped.
std::array<std::string_view, 8> Pieces(std::string_view text, std::string_view separators,
                                       size_t& count) {
    std::array<std::string_view, 8> pieces{};
    count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && separators.find(text[i]) == std::string_view::npos) continue;
        if (i > start) {
            if (count == pieces.size()) {
                count = pieces.size() + 1;
                return pieces;
            }
            pieces[count++] = text.substr(start, i - start);
        }
        start = i + 1;
    }
    return pieces;
}

std::optional<int> Number(std::string_view digits, size_t minSize, size_t maxSize) {
    if (digits.size() < minSize || digits.size() > maxSize) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<unsigned> Month(std::string_view name) {
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsIgnoreAsciiCase(name, kMonths[i])) return static_cast<unsigned>(i + 1);
    }
    return std::nullopt;
}

// "08:49:37" as seconds of the day.
std::optional<int> TimeOfDay(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    auto h = Number(text.substr(0, 2), 2, 2), m = Number(text.substr(3, 2), 2, 2),
         s = Number(text.substr(6, 2), 2, 2);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60) return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

std::optional<long long> Compose(std::optional<int> year, std::optional<unsigned> month,
                                 std::optional<int> day, std::optional<int> time) {
    if (!year || !month || !day || !time || *day < 1 || *day > 31) return std::nullopt;
    return DaysFromCivil(*year, *month, static_cast<unsigned>(*day)) * 86400 + *time;
}

}  // namespace

std::optional<long long> ParseHttpDate(std::string_view text) {
    size_t count = 0;
    auto p = Pieces(text, " ,-", count);
    // "Sun, 06 Nov 1994 08:49:37 GMT" and "Sunday, 06-Nov-94 08:49:37 GMT"
    if (count == 6 && EqualsIgnoreAsciiCase(p[5], "GMT")) {
        std::optional<int> year = Number(p[3], 2, 4);
        if (year && p[3].size() == 2) *year += *year < 70 ? 2000 : 1900;
        if (year && p[3].size() == 3) return std::nullopt;
        return Compose(year, Month(p[2]), Number(p[1], 1, 2), TimeOfDay(p[4]));
    }
    // "Sun Nov  6 08:49:37 1994"
    if (count == 5)
        return Compose(Number(p[4], 4, 4), Month(p[1]), Number(p[2], 1, 2), TimeOfDay(p[3]));
    return std::nullopt;
}

std::optional<std::chrono::seconds> RetryAfterDelay(std::string_view value,
                                                    std::chrono::system_clock::time_point now) {
    value = TrimControls(value);
    if (value.empty()) return std::nullopt;
    if (value.find_first_not_of("0123456789") == std::string_view::npos) {
        // Beyond what anyone waits: taken as "very long".
        if (value.size() > 12) return std::chrono::seconds(999999999999LL);
        return std::chrono::seconds(std::stoll(std::string(value)));
    }
    auto at = ParseHttpDate(value);
    if (!at) return std::nullopt;
    const long long nowSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    return std::chrono::seconds(*at > nowSeconds ? *at - nowSeconds : 0);
}

}  // namespace nuvaro
