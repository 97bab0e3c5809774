#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "notify/delivery_channel.h"
#include "notify/notice_facts.h"

namespace nuvaro {

// One delivery of a notice (one channel, one recipient) not yet sent.
struct OutboxEntry {
    std::string key;      // unique: the notice's id and the delivery's number
    std::string channel;  // kSmsChannel, kEmailChannel, kProgramChannel or kPushChannel
    std::string slot;
    GbkText windowName, recipient;
    GbkText record;     // window record (SMS, mail)
    NoticeFacts facts;  // the placeholders' facts, the notice's id among them
    GbkText file;       // the local program, its parameters already filled
    GbkText parameters;
    std::string push;     // the push channel's section of push.inf
    int64_t raised = 0;   // wall-clock seconds since 1970
    int attempt = 1;      // the next try
    int64_t due = 0;      // wall-clock seconds of the next try
    bool trying = false;  // a try was under way; after a restart its outcome is unknown
    // A change of the page: the bytes and SHA-256 of its whole found text, and when it was
    // notified (wall-clock milliseconds), so that a start can tell a change whose saving a
    // kill cut short (ReconcileNotified).
    int64_t foundBytes = 0;
    std::string foundDigest;
    int64_t notifiedAt = 0;
};

// The notices that wait for their server, in "outbox.inf" beside the executable: an INI file
// (GBK, CR LF, owner-only) replaced atomically at every change, so a crash or a kill loses
// none. An entry is written before its first try, marked before each try and rewritten after
// it, and removed once it is sent or has failed for good. Thread-safe: the channels' workers
// write down their tries.
class Outbox : public DeliveryJournal {
  public:
    static constexpr const char* kFileName = "outbox.inf";

    // Loads what an earlier run left.
    Outbox(std::string path, DeliveryClock& clock = DeliveryClock::System());

    const std::string& FileName() const { return m_path; }
    std::vector<OutboxEntry> Entries() const;
    size_t Count() const;

    // Handed to the write queue before it returns, all in one replacement. A file that cannot be
    // written is noted in the error log; the entries are kept in memory and go to disk with the
    // next write that succeeds.
    void Add(const std::vector<OutboxEntry>& entries);
    // The same, but an entry whose recipient has its share of pending deliveries already folds
    // into the newest of them (FoldTarget). Returns, for each entry, whether it was folded (so
    // it needs no try of its own).
    std::vector<bool> AddOrFold(const std::vector<OutboxEntry>& entries);
    // The entry now, as the next try sends it; nullopt once it is gone.
    std::optional<OutboxEntry> Find(const std::string& key) const;
    void Remove(const std::string& key);

    void Trying(const DeliveryJob& job) override;
    void Waiting(const DeliveryJob& job) override;
    void Settled(const DeliveryJob& job) override;

    // Hears the number of deliveries kept after every change, on the thread that made it
    // (quickly: it is called under a lock).
    void SetCountObserver(std::function<void(size_t count)> observer);

    // The most a file may hold to be read: more is damage, dropped whole.
    static constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;
    static constexpr size_t kMaxEntries = 2000;

  private:
    void Load();
    void SaveLocked();
    size_t FoldLockedInto(OutboxEntry& e);
    void Changed();
    template <typename Change>
    void Update(const std::string& key, Change change);

    const std::string m_path;
    DeliveryClock& m_clock;
    mutable std::mutex m_mutex;
    std::map<std::string, OutboxEntry> m_entries;
    std::shared_ptr<std::atomic<bool>> m_failing = std::make_shared<std::atomic<bool>>(false);
    std::mutex m_observerMutex;
    std::function<void(size_t)> m_observer;
};

// A fresh identifier of a notice: unique across runs and machines, fit for a Message-ID.
std::string NewNoticeId();

}  // namespace nuvaro
