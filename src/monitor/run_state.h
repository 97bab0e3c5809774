#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/gbk_text.h"
#include "monitor/cycle_rules.h"
#include "monitor/number_rule.h"

namespace nuvaro {

class StateFileReader;

// A window's last notified found text as it is kept on disk: whole up to kKeptBytes; a longer
// one as its first kKeptBytes (cut at a character boundary), its length and a digest of the
// whole, so a page that finds megabytes does not make every save rewrite them.
struct SavedMatch {
    static constexpr size_t kKeptBytes = 4096;

    GbkText text;        // the whole text, or its beginning
    size_t size = 0;     // bytes of the whole text
    std::string digest;  // SHA-256 of the whole text; empty when `text` is whole

    static SavedMatch Of(const GbkText& found);
    bool Whole() const { return digest.empty(); }
    bool SameAs(const GbkText& found) const;
};

// The verdict on `found` against the last notified text in memory; where that is only the
// saved beginning of a longer text (after a restart), against the saved length and digest.
Verdict JudgeWithSaved(const GbkText& found, const GbkText& lastMatch, const SavedMatch& saved);

// What outlives the process about monitoring, in "runstate.inf" beside the executable (an INI
// file, GBK, CR LF, replaced atomically at each change): whether a start resumes monitoring,
// which windows monitor, each window's last notified found text and what its rule about
// values remembers. Slots 1..30.
class RunState {
  public:
    static constexpr int kSlots = 30;
    // The most a file may hold to be read: more is damage, dropped whole.
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr int64_t kLatestMillisecond = int64_t{1} << 43;  // the year 2248
    static constexpr const char* kFileName = "runstate.inf";

    // Loads the file; a missing or unreadable one means: resume on, nothing monitoring.
    explicit RunState(std::string path);
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    const std::string& FileName() const { return m_path; }

    bool ResumeOnStart() const { return m_resume; }
    // Throws FileWriteError when the file cannot be written (the choice is then not taken).
    void SetResumeOnStart(bool on);

    bool WasMonitoring(int slot) const;
    void SetMonitoring(int slot, bool on);
    // Every window stopped (a start that does not resume).
    void ForgetMonitoring();

    const SavedMatch& LastMatch(int slot) const;
    // Both note the moment (wall-clock milliseconds, NotifiedAt): a notice raised before it is
    // older than what the slot holds.
    void SetLastMatch(int slot, const GbkText& found);
    void ClearLastMatch(int slot);
    int64_t NotifiedAt(int slot) const;
    // A change notified at `at` whose saving was cut short (see ReconcileNotified).
    void AdoptLastMatch(int slot, const SavedMatch& match, int64_t at);

    // What the window's rule about values remembers (its region, its mark).
    const NumRuleState& RuleState(int slot) const;
    void SetRuleState(int slot, const NumRuleState& state);

    // While a hold lives, changes are written once, when the last hold ends.
    class Hold {
      public:
        explicit Hold(RunState& state) : m_state(state) { ++m_state.m_holds; }
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        RunState& m_state;
    };

  private:
    struct Slot {
        bool monitoring = false;
        SavedMatch lastMatch;
        int64_t notifiedAt = 0;
        NumRuleState rule;
    };
    Slot* At(int slot);
    const Slot* At(int slot) const;
    void Load();
    void DropUnknownSections(StateFileReader& file);
    // Hands the state to the write queue now, or when the last hold ends. A failure goes to the
    // error log once until a write succeeds again; `raise` writes at once and throws it instead.
    void Save(bool raise = false);
    std::string Serialize() const;

    std::string m_path;
    bool m_resume = true;
    std::array<Slot, kSlots> m_slots{};
    int m_holds = 0;
    bool m_dirty = false;
    std::shared_ptr<std::atomic<bool>> m_failing = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace nuvaro
