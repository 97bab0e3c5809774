#include "notify/outbox_fold.h"

#include <algorithm>

namespace nuvaro {
namespace {

bool SameRecipient(const OutboxEntry& a, const OutboxEntry& b) {
    return a.slot == b.slot && a.channel == b.channel && a.recipient == b.recipient &&
           a.record == b.record;
}

}  // namespace

std::optional<std::string> FoldTarget(const std::vector<const OutboxEntry*>& kept,
                                      const OutboxEntry& fresh) {
    if (fresh.slot.empty()) return std::nullopt;
    std::vector<const OutboxEntry*> same;
    for (const OutboxEntry* e : kept) {
        if (SameRecipient(*e, fresh) && e->facts.kind == fresh.facts.kind) same.push_back(e);
    }
    if (same.size() < kKeptPerRecipient) return std::nullopt;
    const auto newest = std::max_element(same.begin(), same.end(), [](auto* a, auto* b) {
        return a->raised != b->raised ? a->raised < b->raised : a->key < b->key;
    });
    if ((*newest)->trying) return std::nullopt;
    return (*newest)->key;
}

void FoldInto(OutboxEntry& target, const OutboxEntry& fresh) {
    const std::string id = target.facts.id;
    const int count = std::max(1, target.facts.folded) + std::max(1, fresh.facts.folded);
    target.facts = fresh.facts;
    target.facts.id = id;
    target.facts.folded = count;
    target.windowName = fresh.windowName;
    target.file = fresh.file;
    target.parameters = fresh.parameters;
}

}  // namespace nuvaro
