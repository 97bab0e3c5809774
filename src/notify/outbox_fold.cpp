#include "notify/outbox_fold.h"

#include <algorithm>

namespace nuvaro {
namespace {

bool SameRecipient(const OutboxEntry& a, const OutboxEntry& b) {
    return a.slot == b.slot && a.channel == b.channel && a.recipient == b.recipient &&
           a.record == b.record;
}

bool Older(const OutboxEntry* a, const OutboxEntry* b) {
    return a->raised != b->raised ? a->raised < b->raised : a->key < b->key;
}

std::vector<const OutboxEntry*> SameAs(const std::vector<const OutboxEntry*>& kept,
                                       const OutboxEntry& e) {
    std::vector<const OutboxEntry*> same;
    for (const OutboxEntry* k : kept) {
        if (SameRecipient(*k, e) && k->facts.kind == e.facts.kind) same.push_back(k);
    }
    std::sort(same.begin(), same.end(), Older);
    return same;
}

}  // namespace

std::vector<std::string> FoldsAfterTry(const std::vector<const OutboxEntry*>& kept,
                                       const OutboxEntry& waiting) {
    std::vector<std::string> keys;
    if (waiting.slot.empty()) return keys;
    const auto same = SameAs(kept, waiting);
    if (same.empty() || same.front()->key == waiting.key) return keys;
    for (const OutboxEntry* e : same) {
        if (Older(&waiting, e) && !e->trying) keys.push_back(e->key);
    }
    return keys;
}

std::optional<std::string> FoldTarget(const std::vector<const OutboxEntry*>& kept,
                                      const OutboxEntry& fresh) {
    if (fresh.slot.empty()) return std::nullopt;
    const auto same = SameAs(kept, fresh);
    if (same.size() < kKeptPerRecipient || same.back()->trying) return std::nullopt;
    return same.back()->key;
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
    target.foundBytes = fresh.foundBytes;
    target.foundDigest = fresh.foundDigest;
    target.notifiedAt = fresh.notifiedAt;
}

}  // namespace nuvaro
