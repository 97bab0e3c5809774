#include "config/config_table.h"

#include "core/exe_dir.h"
#include "core/text_util.h"

namespace nuvaro {

TConfigTable::TConfigTable() {
    const std::string file = ExeDirFile("Config.inf");
    m_slots.reserve(kSlots);
    for (int k = 1; k <= kSlots; ++k) m_slots.push_back(std::make_unique<TConfig>(k, file));
}

TConfig& TConfigTable::operator[](int slot) {
    if (slot < 1 || slot > kSlots) throw std::out_of_range("slot " + std::to_string(slot));
    return *m_slots[static_cast<size_t>(slot - 1)];
}

const TConfig& TConfigTable::operator[](int slot) const {
    return const_cast<TConfigTable&>(*this)[slot];
}

TConfig& TConfigTable::BySlotText(std::string_view slot) {
    auto number = ParseInteger(slot);
    bool inRange = number && *number >= 1 && *number <= kSlots;
    return (*this)[inRange ? static_cast<int>(*number) : 0];
}

}  // namespace nuvaro
