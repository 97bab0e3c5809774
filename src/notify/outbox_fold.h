#pragma once

#include <optional>
#include <string>
#include <vector>

#include "notify/outbox.h"

namespace nuvaro {

// The deliveries kept per window, channel and recipient while their server is away: the
// oldest, and one into which every newer notice folds, so that after an outage of any length
// the recipient gets the first change and one message with the count and the newest value.
inline constexpr size_t kKeptPerRecipient = 2;

// The key of the kept entry that `fresh` folds into, or nullopt when `fresh` is kept as an
// entry of its own. Test sends and entries without a window are never folded; an entry whose
// try is under way is not folded into (its text may be on its way).
std::optional<std::string> FoldTarget(const std::vector<const OutboxEntry*>& kept,
                                      const OutboxEntry& fresh);

// The keys of the entries that fold into `waiting` now that its try has failed: while it was
// tried, newer notices of its recipient had to wait in an entry of their own. The oldest entry
// of a recipient takes none (it is the first notice, as it was).
std::vector<std::string> FoldsAfterTry(const std::vector<const OutboxEntry*>& kept,
                                       const OutboxEntry& waiting);

// `target` takes the newer notice `fresh`: its texts, facts and program parameters, with one
// more notice counted; its key, id, time raised and tries stay.
void FoldInto(OutboxEntry& target, const OutboxEntry& fresh);

}  // namespace nuvaro
