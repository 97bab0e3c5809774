#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/tconfig.h"

namespace nuvaro {

// Window n (0 the default page, 1..29 added windows) keeps its settings in slot n + 1; the slot
// number as decimal text names its section and appears in log lines and records.
inline int SlotOf(int windowNumber) { return windowNumber + 1; }
inline std::string SlotText(int windowNumber) { return std::to_string(SlotOf(windowNumber)); }

// The 30 configuration slots, indexed 1..30 by slot number, over Config.inf in the
// executable's folder. Window n uses slot n + 1.
class TConfigTable {
  public:
    static constexpr int kSlots = 30;

    // Creates slots 1 to 30 in ascending order; each loads its section.
    TConfigTable();

    TConfig& operator[](int slot);
    const TConfig& operator[](int slot) const;
    // The slot named by its number as decimal text ("1".."30"); throws std::out_of_range.
    TConfig& BySlotText(std::string_view slot);

  private:
    std::vector<std::unique_ptr<TConfig>> m_slots;
};

}  // namespace nuvaro
