#include "monitor/matcher.h"

#include <cstdint>

#include "config/config_table.h"
#include "core/date_time.h"
#include "core/find_bytes.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "monitor/monitor_log.h"
#include "monitor/regex.h"

namespace nuvaro {
namespace {

bool Contains(std::string_view page, std::string_view needle) {
    return ContainsBytes(page, needle);
}

GbkText FoundAsKeyword(const GbkText& expression, std::string_view slot,
                       std::string_view windowName) {
    WriteLog(loglines::KeywordMatch(NowText(), slot, windowName, expression), kMatchLog);
    return expression;
}

}  // namespace

bool IsPlainKeyword(std::string_view expression) {
    return expression.find_first_of("\\^$.|?*+()[]{}") == std::string_view::npos;
}

Condition GetCondition(TConfigTable& configs, std::string_view slot) {
    const TConfig& config = configs.BySlotText(slot);
    auto group = ParseInteger(config.RegGrp);
    bool fits = group && *group >= INT32_MIN && *group <= INT32_MAX;
    return Condition{ToGbk(config.Regx), fits ? static_cast<int>(*group) : 0};
}

KeywordFind FindKeyword(const GbkText& page, const GbkText& expression, int group) {
    if (expression.empty()) return {};
    if (IsPlainKeyword(expression.view())) {
        // Same verdict as the engine would give, in one scan.
        if (!Contains(page.view(), expression.view())) return {};
        return {expression, group != 0};
    }
    Regex regex(expression.view());
    auto match = regex.FirstMatchGroup(page.view(), group);
    if (match && !match->empty()) return {GbkText::FromBytes(std::move(*match)), false};
    if (Contains(page.view(), expression.view())) return {expression, true};
    return {};
}

GbkText MatchKeyword(const GbkText& page, const GbkText& expression, int group,
                     std::string_view slot, std::string_view windowName) {
    KeywordFind find = FindKeyword(page, expression, group);
    if (find.found.empty()) return {};
    if (find.asKeyword) return FoundAsKeyword(expression, slot, windowName);
    WriteLog(loglines::RegexMatch(NowText(), slot, windowName, find.found, expression), kMatchLog);
    return find.found;
}

}  // namespace nuvaro
