#include "core/date_time.h"

#include <cstdio>

namespace nuvaro {

std::string DateTimeText(const std::tm& t) {
    char buffer[64];
    int year = t.tm_year + 1900, month = t.tm_mon + 1;
    if (t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0) {
        std::snprintf(buffer, sizeof buffer, "%d-%d-%d", year, month, t.tm_mday);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d-%d-%d %d:%02d:%02d", year, month, t.tm_mday,
                      t.tm_hour, t.tm_min, t.tm_sec);
    }
    return buffer;
}

std::string NowText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTimeText(local);
}

}  // namespace nuvaro
