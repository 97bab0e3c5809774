#pragma once

#include <optional>
#include <string>

namespace nuvaro {
class TConfig;
}

namespace nuvaro::testing {

// Slots 1 to kWriterSlots are what the store_writer helper saves.
inline constexpr int kWriterSlots = 3;

// Every persisted field of `config` gets a value that names `tag` and the field's key; one
// is long, one spans lines and one is GBK, so a save writes a file of some size.
void FillSlot(TConfig& config, const std::string& tag);

// The tag of the save that slot `slot` of `file` wholly holds: every key and the window record
// from one FillSlot. nullopt when the slot mixes saves or is missing.
std::optional<std::string> WholeSlotTag(const std::string& file, int slot);

}  // namespace nuvaro::testing
