#include "support/store_values.h"

#include "config/tconfig.h"
#include "core/gbk.h"

namespace nuvaro::testing {
namespace {

std::string Value(const std::string& tag, const char* key) {
    std::string value = tag + "/" + key;
    if (std::string_view(key) == "Body") value += std::string(1500, 'b');
    if (std::string_view(key) == "Regx") value += "\r\n第二行";
    if (std::string_view(key) == "WindowName") value += "窗口";
    return value;
}

}  // namespace

void FillSlot(TConfig& config, const std::string& tag) {
    for (const auto& key : TConfig::kKeys) config.*key.field = Value(tag, key.name);
}

std::optional<std::string> WholeSlotTag(const std::string& file, int slot) {
    TConfig stored(slot, file);
    auto slash = stored.User.rfind("/User");
    if (slash == std::string::npos) return std::nullopt;
    const std::string tag = stored.User.substr(0, slash);
    for (const auto& key : TConfig::kKeys) {
        if (stored.*key.field != Value(tag, key.name)) return std::nullopt;
    }
    if (ToGbk(stored.ReadKey("all")) != stored.WindowRecord()) return std::nullopt;
    return tag;
}

}  // namespace nuvaro::testing
