#include "notify/outbox.h"

#include <ctime>
#include <random>

#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/log_file.h"
#include "core/state_file.h"
#include "core/text_util.h"
#include "core/write_queue.h"
#include "notify/outbox_fold.h"
#include "notify/send_log.h"

namespace nuvaro {
namespace {

// Addresses, numbers and what the pages showed: the owner's business only.
constexpr mode_t kFileMode = 0600;

int64_t Seconds(DeliveryClock::WallTime t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

// Bounds of the numbers read: a damaged or edited file cannot make them overflow.
constexpr int64_t kLatestSecond = int64_t{1} << 33;  // the year 2242
constexpr int64_t kMostTries = 100000;

bool KnownChannel(const std::string& c) {
    return c == kSmsChannel || c == kEmailChannel || c == kProgramChannel || c == kPushChannel;
}

OutboxEntry ReadEntry(StateFileReader& file, const std::string& section) {
    const IniDocument& doc = file.Document();
    auto text = [&](const char* key) { return doc.ReadGbk(section, key).value_or(GbkText()); };
    auto ascii = [&](const char* key) { return text(key).bytes(); };
    auto number = [&](const char* key, int64_t low, int64_t high, int64_t fallback) {
        return file.Number(section, key, low, high, fallback);
    };
    OutboxEntry e;
    e.key = section;
    e.channel = ascii("Channel");
    e.slot = ascii("Slot");
    e.windowName = text("Window");
    e.recipient = text("Recipient");
    e.record = text("Record");
    e.facts = {
        text("Found"),   text("Name"),    text("Url"),
        ascii("Time"),   e.slot,          text("Previous"),
        ascii("Id"),     text("Value"),   ascii("Kind"),
        text("Subject"), text("Message"), static_cast<int>(number("Folded", 0, kMostTries, 0))};
    e.push = ascii("Push");
    e.file = text("File");
    e.parameters = text("Parameters");
    e.raised = number("Raised", 0, kLatestSecond, 0);
    e.attempt = static_cast<int>(number("Attempt", 1, kMostTries, 1));
    e.due = number("Due", 0, kLatestSecond, 0);
    e.trying = ascii("Trying") == "1";
    e.foundBytes = number("FoundBytes", 0, INT64_MAX, 0);
    e.foundDigest = ascii("FoundSha256");
    e.notifiedAt = number("NotifiedAt", 0, kLatestSecond * 1000, 0);
    return e;
}

void WriteEntry(IniWriter& out, const OutboxEntry& e) {
    auto text = [&](const char* key, const GbkText& value) {
        if (!value.empty()) out.WriteExactGbk(key, value);
    };
    auto ascii = [&](const char* key, const std::string& value) {
        if (!value.empty()) out.WriteExactGbk(key, GbkText::FromBytes(value));
    };
    out.Section(e.key);
    out.Write("Channel", e.channel);
    out.Write("Slot", e.slot);
    text("Window", e.windowName);
    text("Recipient", e.recipient);
    text("Record", e.record);
    text("Found", e.facts.found);
    text("Name", e.facts.name);
    text("Url", e.facts.url);
    ascii("Time", e.facts.time);
    text("Previous", e.facts.previous);
    ascii("Id", e.facts.id);
    text("Value", e.facts.value);
    ascii("Kind", e.facts.kind);
    text("Subject", e.facts.subject);
    text("Message", e.facts.message);
    if (e.facts.folded > 1) out.Write("Folded", std::to_string(e.facts.folded));
    ascii("Push", e.push);
    text("File", e.file);
    text("Parameters", e.parameters);
    out.Write("Raised", std::to_string(e.raised));
    out.Write("Attempt", std::to_string(e.attempt));
    out.Write("Due", std::to_string(e.due));
    if (e.trying) out.Write("Trying", "1");
    if (e.foundDigest.empty()) return;
    out.Write("FoundBytes", std::to_string(e.foundBytes));
    out.Write("FoundSha256", e.foundDigest);
    out.Write("NotifiedAt", std::to_string(e.notifiedAt));
}

}  // namespace

Outbox::Outbox(std::string path, DeliveryClock& clock) : m_path(std::move(path)), m_clock(clock) {
    Load();
}

// What cannot be an entry is dropped, and said once in the error log.
void Outbox::Load() {
    StateFileReader file(m_path, kMaxFileBytes, kMaxEntries);
    for (const std::string& section : file.Document().SectionNames()) {
        OutboxEntry entry = ReadEntry(file, section);
        if (!KnownChannel(entry.channel)) {
            file.Drop("[" + section + "] Channel=" + entry.channel);
            continue;
        }
        m_entries.emplace(section, std::move(entry));
    }
    file.Report();
}

std::vector<OutboxEntry> Outbox::Entries() const {
    std::lock_guard lock(m_mutex);
    std::vector<OutboxEntry> entries;
    for (const auto& [key, entry] : m_entries) entries.push_back(entry);
    return entries;
}

size_t Outbox::Count() const {
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

// Handed to the write queue under the lock, so the file goes through the states in order.
void Outbox::SaveLocked() {
    IniWriter out;
    for (const auto& [key, entry] : m_entries) WriteEntry(out, entry);
    // Noted once until writing works again; the deliveries go on from memory.
    write_queue::Replace(m_path, out.Text(), kFileMode, m_failing);
}

// Counted and told under one lock: counts of several threads arrive in the order they were
// taken.
void Outbox::Changed() {
    std::lock_guard lock(m_observerMutex);
    if (m_observer) m_observer(Count());
}

void Outbox::Add(const std::vector<OutboxEntry>& entries) {
    if (entries.empty()) return;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : entries) m_entries[entry.key] = entry;
        SaveLocked();
    }
    Changed();
}

std::vector<bool> Outbox::AddOrFold(const std::vector<OutboxEntry>& entries) {
    std::vector<bool> folded(entries.size(), false);
    if (entries.empty()) return folded;
    {
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < entries.size(); ++i) {
            std::vector<const OutboxEntry*> kept;
            for (const auto& [key, entry] : m_entries) kept.push_back(&entry);
            auto target = FoldTarget(kept, entries[i]);
            if (target)
                FoldInto(m_entries.at(*target), entries[i]);
            else
                m_entries[entries[i].key] = entries[i];
            folded[i] = target.has_value();
        }
        SaveLocked();
    }
    Changed();
    return folded;
}

std::optional<OutboxEntry> Outbox::Find(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) return std::nullopt;
    return it->second;
}

void Outbox::Remove(const std::string& key) {
    {
        std::lock_guard lock(m_mutex);
        if (m_entries.erase(key) == 0) return;
        SaveLocked();
    }
    Changed();
}

template <typename Change>
void Outbox::Update(const std::string& key, Change change) {
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) return;
    change(it->second);
    SaveLocked();
}

// A worker's mark is on disk before its try (and so is the entry it marks).
void Outbox::Trying(const DeliveryJob& job) {
    Update(job.key, [&](OutboxEntry& e) {
        e.attempt = job.attempt;
        e.trying = true;
    });
    write_queue::Flush();
}

void Outbox::Waiting(const DeliveryJob& job) {
    const int64_t due = Seconds(m_clock.ToWall(job.due));
    size_t folded = 0;
    Update(job.key, [&](OutboxEntry& e) {
        e.attempt = job.attempt;
        e.due = due;
        e.trying = false;
        folded = FoldLockedInto(e);
    });
    if (folded > 0) Changed();
}

// The newer notices that waited while `e` was tried join it; their tries find them gone.
size_t Outbox::FoldLockedInto(OutboxEntry& e) {
    std::vector<const OutboxEntry*> kept;
    for (const auto& [key, entry] : m_entries) kept.push_back(&entry);
    const std::vector<std::string> keys = FoldsAfterTry(kept, e);
    for (const std::string& key : keys) {
        FoldInto(e, m_entries.at(key));
        m_entries.erase(key);
    }
    return keys.size();
}

void Outbox::Settled(const DeliveryJob& job) { Remove(job.key); }

void Outbox::SetCountObserver(std::function<void(size_t count)> observer) {
    {
        std::lock_guard lock(m_observerMutex);
        m_observer = std::move(observer);
    }
    Changed();
}

std::string NewNoticeId() {
    static std::mutex mutex;
    static std::mt19937_64 random{std::random_device{}()};
    uint64_t bits;
    {
        std::lock_guard lock(mutex);
        bits = random();
    }
    char id[64];
    std::snprintf(id, sizeof id, "%lld.%016llx", static_cast<long long>(std::time(nullptr)),
                  static_cast<unsigned long long>(bits));
    return id;
}

}  // namespace nuvaro
