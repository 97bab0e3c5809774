#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/gbk_text.h"
#include "notify/account_text.h"
#include "notify/delivery_channel.h"
#include "notify/notice_facts.h"
#include "notify/outbox.h"
#include "notify/plugin_loader.h"
#include "notify/push_settings.h"
#include "notify/sms_settings.h"

namespace nuvaro {

class Shell;
class TConfig;

// A delivery that has finally failed: sent to nobody after all its tries.
struct FailedNotice {
    std::string slot;        // slot number "1".."30"; empty when not known
    std::string windowName;  // empty when not known
    std::string channel;     // kSmsChannel, kEmailChannel, kProgramChannel or kPushChannel
    std::string recipient;   // number, address or program
    std::string reason;
    bool test = false;  // a test send of the recipient dialog
    // Its channel has failed already and not delivered since: the same outage, told before.
    bool quiet = false;
};

// Tells the user about a window's match over its switched-on channels, and sends the test
// notices of the recipient dialog. The record store is read on the caller's thread (quick file
// reads); every recipient of a notice is then a delivery of its own on its channel's workers
// (DeliveryChannel), so the caller never waits, and a mail server, SMS gateway or program that
// hangs holds up neither another channel nor another recipient. Passing failures are tried
// again; every try is one line in Log/sendlog.txt, and a delivery that finally failed is
// reported to the failure observer and written to Log/errorlog.txt. With an outbox, every
// delivery of a window's notice is kept there until it is sent or has failed for good, so it
// outlives an exit, a crash or a kill; test sends are not kept. Not copyable; the GUI owns one
// for the process.
class NotifyDispatcher {
  public:
    explicit NotifyDispatcher(Shell& shell,
                              std::unique_ptr<NotifyLibraries> libraries = MakePluginLibraries(),
                              DeliveryPolicy policy = {}, std::unique_ptr<Outbox> outbox = {});
    // Shutdown().
    ~NotifyDispatcher();
    NotifyDispatcher(const NotifyDispatcher&) = delete;
    NotifyDispatcher& operator=(const NotifyDispatcher&) = delete;

    // The dispatch for one window: the local program (OtherOpen), then SMS (SmsOpen), then
    // e-mail (EmailOpen), each only when its switch is exactly "1", each queued whatever the one
    // before did. `found` and `previous` (the found text notified last; GBK) and the window's
    // name, address, slot and the time now fill the placeholders of its texts (both texts cut
    // to kFoundTextLimit characters with their length, so a notice fits its outbox).
    // A channel whose plug-in cannot be loaded fails on its own: written to the logs and told
    // to the failure observer once for this notice, never raised, so the notice counts as told.
    // The outbox holds every delivery of the notice when this returns.
    // With PushOpen "1", every enabled push channel of push.inf hears of it too, each a delivery
    // on the push channel's workers. A recipient that has its share of pending deliveries
    // already gets this notice folded into the newest of them (Outbox::AddOrFold).
    void Dispatch(const TConfig& slot, const GbkText& found = {}, const GbkText& previous = {},
                  const GbkText& value = {});

    // A notice of the window's own kind (kNoticeFailing, ...) with its subject and message
    // (UTF-8) in place of the window's texts, over the window's channels that are on; the local
    // program only when `program`.
    void DispatchNotice(const TConfig& slot, std::string_view kind, std::string_view subject,
                        std::string_view message, bool program);
    // The daily report: a mail to `toMail` (UTF-8; empty: none) and a message to each enabled
    // push channel that `wanted` accepts.
    void SendReport(std::string_view toMail, const std::function<bool(const std::string&)>& wanted,
                    std::string_view subject, std::string_view message);
    // One test message over `channel` as given (unsaved), on a worker of its own; `done` hears
    // the outcome there (reason UTF-8). Logged as a test, not tried again.
    void SendPushTest(const PushChannel& channel, std::function<void(const TryResult&)> done);

    // Queues the deliveries that an earlier run left in the outbox; each gets its next try
    // within kResumeWithin. One whose try was under way when that run ended is tried again
    // (a mail with the same Message-ID), its unknown outcome noted in the send log. Returns
    // how many were queued.
    size_t ResumeOutbox();
    static constexpr std::chrono::seconds kResumeWithin{60};
    Outbox* KeptIn() const { return m_outbox.get(); }
    // How many deliveries of slot `slot`'s notices were sent since the start (tests not counted).
    int SentCount(int slot) const;

    // Slot number "1".."30"; `facts` fill the placeholders (none: the texts go as they stand).
    // Raise PluginError when a plug-in is missing.
    void SendSMSNotice(std::string_view slot, const std::optional<NoticeFacts>& facts = {});
    void SendEmailNotice(std::string_view slot, const std::optional<NoticeFacts>& facts = {});
    // Test records (SmsTestRecord, EmailTestRecord); the switches are not looked at.
    void SendSMSToTest(const GbkText& record, const std::optional<NoticeFacts>& facts = {});
    void SendEmailTest(const GbkText& record, const std::optional<NoticeFacts>& facts = {});
    // Starts `file` with `parameters`, their placeholders filled from `facts`, on the program
    // channel: the caller never waits for the start. `test`: the recipient dialog's test.
    void StartProgram(const GbkText& file, const GbkText& parameters, const NoticeFacts& facts,
                      bool test);

    // One SMS saying `text` to `mobile` (with `countryCode`), sent once with `settings` in
    // place of sms.inf, on a worker of its own: the SMS gateway dialog's test. `done` gets the
    // outcome on that worker. The try is logged as a test; it is not tried again and not
    // reported as a failed notice. Raises PluginError when the SMS plug-in is missing.
    void SendSmsGatewayTest(const SmsSettings& settings, const GbkText& mobile,
                            const GbkText& countryCode, const GbkText& text,
                            std::function<void(const TryResult&)> done);

    // One mail from `account` as the sender dialog shows it (unsaved; GBK fields) to the
    // account's own address, on a worker of its own; `done` gets the outcome there. Logged as a
    // test, not tried again, not reported as a failed notice. Raises PluginError when the mail
    // plug-in is missing.
    void SendMailAccountTest(const MailAccount& account,
                             std::function<void(const TryResult&)> done);

    // The sender account, handed to the record store at once (it writes email.inf).
    void SaveEmail(const GbkText& smtp, const GbkText& user, const GbkText& password,
                   const GbkText& port, const GbkText& flag);
    // The account's security choice ("SSL", "STARTTLS", empty), stored beside it.
    void SaveEmailSecurity(const GbkText& security);

    // Hears of each delivery that finally failed (once per delivery), on whatever thread saw
    // the failure.
    void SetFailureObserver(std::function<void(const FailedNotice&)> observer);

    // True once nothing waits or runs, retries included; false when `timeout` passed first.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    // Stops delivering. What is queued, retries included, may be tried once more within
    // `grace`; after that the ones still waiting are dropped and the running ones cancelled
    // (the senders end them within about a second). Sends dropped, cancelled or asked for
    // afterwards each leave a FAILED line, except those the outbox keeps for the next start:
    // they are tried now only when due. Returns whether everything queued was settled.
    bool Shutdown(std::chrono::milliseconds grace = kShutdownGrace);
    static constexpr std::chrono::milliseconds kShutdownGrace{5000};

  private:
    struct Notice {
        std::string_view channel;
        std::string slot;  // slot number, may be empty
        bool test = false;
        std::optional<NoticeFacts> facts;
    };
    // Deliveries made ready together: written to the outbox in one go, then queued.
    struct Prepared {
        std::string_view channel;
        DeliveryJob job;
        std::optional<OutboxEntry> entry;
    };
    using Batch = std::vector<Prepared>;

    void PrepareSends(Batch& batch, const Notice& notice, const NotifyLibraries::Sender& sender,
                      const GbkText& account, const GbkText& record);
    void PrepareProgram(Batch& batch, const GbkText& file, const GbkText& parameters,
                        const NoticeFacts& facts, bool test);
    void Commit(Batch& batch);
    // `change`: the whole found text of a change of the page (none for a notice of its own kind).
    void DispatchFacts(const TConfig& slot, const NoticeFacts& facts, bool program,
                       const GbkText* change = nullptr);
    static void MarkChange(Batch& batch, const GbkText& found);
    // A channel that could not make its deliveries of a notice: logged and told once.
    void ChannelFailed(std::string_view channel, const NoticeFacts& facts, const GbkText& reason);
    void PreparePushes(Batch& batch, const NoticeFacts& facts, const GbkText& record,
                       const std::function<bool(const std::string&)>& wanted);
    std::function<TryResult(int)> PushRun(std::string section, GbkText record, NoticeFacts facts,
                                          std::string label);
    // A kept delivery's try sends its entry as the outbox holds it then (a newer notice may
    // have folded into it).
    std::function<TryResult(int)> KeptRun(std::string key, std::function<TryResult(int)> first);
    void Resume(OutboxEntry entry);
    std::function<TryResult(int)> ResumedRun(const OutboxEntry& entry);
    std::function<TryResult(int)> ProgramRun(GbkText file, GbkText parameters, std::string label);
    static std::function<TryResult(int)> SenderRun(const NotifyLibraries::Sender& sender,
                                                   const GbkText& account, const GbkText& record,
                                                   const std::string& facts,
                                                   const GbkText& recipient);
    // A window's notice, with the id that names its entries (Dispatch gives it one).
    bool Keeps(const Notice& notice) const {
        return m_outbox && !notice.test && notice.facts && !notice.facts->id.empty();
    }
    // One try of unsaved settings on the worker of the settings dialogs' tests; `done` hears the
    // outcome there, also when the try is refused.
    void RunSettingsTest(std::string_view channel, const NotifyLibraries::Sender& sender,
                         SendTry one, std::function<void(const TryResult&)> done);
    void Queue(std::string_view channel, DeliveryJob job);
    DeliveryChannel& ChannelOf(std::string_view channel);
    DeliveryChannel::FinalFailure ReportFor(std::string_view channel);
    void Report(std::string_view channel, const DeliveryJob& job, const GbkText& reason);
    static void LogRefused(std::string_view channel, const DeliveryJob& job, const GbkText& reason);

    Shell& m_shell;
    std::unique_ptr<NotifyLibraries> m_libraries;
    std::mutex m_observerMutex;
    std::function<void(const FailedNotice&)> m_observer;
    std::set<std::string> m_down;  // channels whose last delivery failed (under m_observerMutex)
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_cancelPushes{false};
    std::array<std::atomic<int>, 32> m_sent{};
    DeliveryClock& m_clock;
    std::unique_ptr<Outbox> m_outbox;
    // Declared last: their workers end before anything they use.
    std::unique_ptr<DeliveryChannel> m_program, m_sms, m_mail, m_push, m_gatewayTests;
};

// The slot label of a delivery's log line: "test", the slot number, or "?".
std::string SendLogSlot(const std::string& slot, bool test);

}  // namespace nuvaro
