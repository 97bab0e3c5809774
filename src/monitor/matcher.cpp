#include "monitor/matcher.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "config/config_table.h"
#include "core/date_time.h"
#include "core/text_util.h"
#include "monitor/monitor_log.h"
#include "monitor/regex.h"

namespace nuvaro {
namespace {

bool Contains(std::string_view page, std::string_view needle) {
    if (needle.empty()) return true;
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(page.begin(), page.end(), searcher) != page.end();
}

std::string FoundAsKeyword(std::string_view expression, std::string_view slot,
                           std::string_view windowName) {
    WriteLog(loglines::KeywordMatch(NowText(), slot, windowName, expression), kMatchLog);
    return std::string(expression);
}

}  // namespace

bool IsPlainKeyword(std::string_view expression) {
    return expression.find_first_of("\\^$.|?*+()[]{}") == std::string_view::npos;
}

Condition GetCondition(TConfigTable& configs, std::string_view slot) {
    const TConfig& config = configs.BySlotText(slot);
    auto group = ParseInteger(config.RegGrp);
    bool fits = group && *group >= INT32_MIN && *group <= INT32_MAX;
    return Condition{config.Regx, fits ? static_cast<int>(*group) : 0};
}

std::string MatchKeyword(std::string_view page, std::string_view expression, int group,
                         std::string_view slot, std::string_view windowName) {
    if (expression.empty()) return {};

    if (IsPlainKeyword(expression)) {
        // Same verdict as the engine would give, in one scan.
        if (!Contains(page, expression)) return {};
        if (group != 0) return FoundAsKeyword(expression, slot, windowName);
        WriteLog(loglines::RegexMatch(NowText(), slot, windowName, expression, expression),
                 kMatchLog);
        return std::string(expression);
    }

    Regex regex(expression);
    auto found = regex.FirstMatchGroup(page, group);
    if (found && !found->empty()) {
        WriteLog(loglines::RegexMatch(NowText(), slot, windowName, *found, expression), kMatchLog);
        return *found;
    }
    if (Contains(page, expression)) return FoundAsKeyword(expression, slot, windowName);
    return {};
}

}  // namespace nuvaro
