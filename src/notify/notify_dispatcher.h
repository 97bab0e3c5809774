#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "notify/plugin_loader.h"

namespace nuvaro {

class Shell;
class TConfig;

// Tells the user about a window's match over its switched-on channels, and sends the test
// notices of the recipient dialog. The record store is read on the caller's thread (quick
// file reads); the sends themselves go, in order, to one delivery thread, so the user
// interface never waits for a mail or SMS server. Each delivery's outcome is written to
// Log/sendlog.txt by the sending plug-in. Not copyable; the GUI owns one for the process.
class NotifyDispatcher {
  public:
    explicit NotifyDispatcher(Shell& shell,
                              std::unique_ptr<NotifyLibraries> libraries = MakePluginLibraries());
    // Shutdown().
    ~NotifyDispatcher();
    NotifyDispatcher(const NotifyDispatcher&) = delete;
    NotifyDispatcher& operator=(const NotifyDispatcher&) = delete;

    // The dispatch for one window: the local program (OtherOpen), then SMS (SmsOpen), then
    // e-mail (EmailOpen), each only when its switch is exactly "1", each tried whatever the
    // one before did. A plug-in that cannot be loaded is raised after the other channels ran.
    // `found` is the text the window's condition found (GBK).
    void Dispatch(const TConfig& slot, std::string_view found = {});

    // Slot number "1".."30". Queue the send; raise PluginError when a plug-in is missing.
    void SendSMSNotice(std::string_view slot);
    void SendEmailNotice(std::string_view slot);
    // Test records (SmsTestRecord, EmailTestRecord); the switches are not looked at.
    void SendSMSToTest(std::string_view record);
    void SendEmailTest(std::string_view record);

    // The sender account, handed to the record store at once (it writes email.inf).
    void SaveEmail(std::string_view smtp, std::string_view user, std::string_view password,
                   std::string_view port, std::string_view flag);

    // True once every queued send has finished; false when `timeout` passed first.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    // Stops the delivery thread. The queued sends may finish within `grace`; after that the
    // ones still waiting are dropped and the running one is cancelled (the senders end it
    // within about a second). Sends dropped, cancelled or asked for afterwards each leave a
    // FAILED line. Returns whether everything queued went out.
    bool Shutdown(std::chrono::milliseconds grace = kShutdownGrace);
    static constexpr std::chrono::milliseconds kShutdownGrace{5000};

  private:
    struct Job {
        std::string channel;
        NotifyLibraries::Sender send;
        std::string account;
        std::string record;
    };
    void Enqueue(Job job);
    static void LogRefused(const std::string& channel);
    void Deliver();

    Shell& m_shell;
    std::unique_ptr<NotifyLibraries> m_libraries;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    bool m_busy = false;
    bool m_closing = false;
    std::thread m_thread;
};

}  // namespace nuvaro
