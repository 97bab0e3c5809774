#include "notify/outbox_reconcile.h"

#include <map>

#include "core/gbk.h"
#include "core/sha256.h"
#include "core/text_util.h"
#include "monitor/run_state.h"
#include "notify/outbox.h"

namespace nuvaro {
namespace {

// How a change's text is kept in the run state: whole when the entry carries it whole (a found
// text within the cut), else by its length and digest with a beginning that is surely its own.
SavedMatch SavedOf(const OutboxEntry& e) {
    const GbkText& found = e.facts.found;
    if (static_cast<int64_t>(found.size()) == e.foundBytes &&
        Sha256Hex(found.view()) == e.foundDigest) {
        return SavedMatch::Of(found);
    }
    constexpr size_t kSurelyUncut = 2000;  // bytes: fewer than the cut's characters
    GbkText prefix = GbkText::FromBytes(std::string(GbkPrefix(found.view(), kSurelyUncut)));
    return {prefix, static_cast<size_t>(e.foundBytes), e.foundDigest};
}

bool IsChange(const OutboxEntry& e) {
    return e.facts.kind.empty() && e.foundDigest.size() == 64 && e.foundBytes > 0;
}

}  // namespace

int ReconcileNotified(const Outbox& outbox, RunState& state) {
    std::map<int, OutboxEntry> newest;
    for (OutboxEntry& e : outbox.Entries()) {
        const long long slot = ParseInteger(e.slot).value_or(0);
        if (slot < 1 || slot > RunState::kSlots || !IsChange(e)) continue;
        const int n = static_cast<int>(slot);
        if (e.notifiedAt <= state.NotifiedAt(n)) continue;
        auto it = newest.find(n);
        if (it == newest.end() || it->second.notifiedAt < e.notifiedAt) newest[n] = std::move(e);
    }
    RunState::Hold hold(state);
    for (const auto& [slot, e] : newest) state.AdoptLastMatch(slot, SavedOf(e), e.notifiedAt);
    return static_cast<int>(newest.size());
}

}  // namespace nuvaro
