#include "notify/notify_dispatcher.h"

#include <exception>

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "notify/send_log.h"
#include "platform/shell.h"

namespace nuvaro {

NotifyDispatcher::NotifyDispatcher(Shell& shell, std::unique_ptr<NotifyLibraries> libraries)
    : m_shell(shell), m_libraries(std::move(libraries)) {}

NotifyDispatcher::~NotifyDispatcher() { Shutdown(); }

void NotifyDispatcher::Dispatch(const TConfig& slot, std::string_view) {
    const std::string number = std::to_string(slot.Index);
    std::exception_ptr firstError;
    auto attempt = [&](const std::function<void()>& channel) {
        try {
            channel();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    if (IsOn(slot.OtherOpen)) attempt([&] { m_shell.Execute(slot.OtherProgram, slot.OtherStr); });
    if (IsOn(slot.SmsOpen)) attempt([&] { SendSMSNotice(number); });
    if (IsOn(slot.EmailOpen)) attempt([&] { SendEmailNotice(number); });
    if (firstError) std::rethrow_exception(firstError);
}

void NotifyDispatcher::SendSMSNotice(std::string_view slot) {
    auto send = m_libraries->SmsSender();
    std::string userId = m_libraries->ReadUserId();
    std::string record = m_libraries->ReadWindowsInfo(slot);
    Enqueue({std::string(kSmsChannel), std::move(send), std::move(userId), std::move(record)});
}

void NotifyDispatcher::SendEmailNotice(std::string_view slot) {
    // The mail leaves at once: holding it behind a box that shows the raw record would keep
    // an unattended user from ever being told.
    auto send = m_libraries->MailSender();
    std::string record = m_libraries->ReadWindowsInfo(slot);
    std::string account = m_libraries->ReadEmail();
    Enqueue({std::string(kEmailChannel), std::move(send), std::move(account), std::move(record)});
}

void NotifyDispatcher::SendSMSToTest(std::string_view record) {
    auto send = m_libraries->SmsSender();
    std::string userId = m_libraries->ReadUserId();
    Enqueue({std::string(kSmsChannel), std::move(send), std::move(userId), std::string(record)});
}

void NotifyDispatcher::SendEmailTest(std::string_view record) {
    auto send = m_libraries->MailSender();
    std::string account = m_libraries->ReadEmail();
    Enqueue({std::string(kEmailChannel), std::move(send), std::move(account), std::string(record)});
}

void NotifyDispatcher::SaveEmail(std::string_view smtp, std::string_view user,
                                 std::string_view password, std::string_view port,
                                 std::string_view flag) {
    m_libraries->SaveEmail(smtp, user, password, port, flag);
}

// A send that the program no longer makes because it is exiting.
void NotifyDispatcher::LogRefused(const std::string& channel) {
    Delivery refused{channel, text::kSendUnknownSlot, "", false, Gbk(text::kSendShutDown)};
    AppendSendLog(ExeDir(), SendLogLine(NowText(), refused));
}

void NotifyDispatcher::Enqueue(Job job) {
    std::unique_lock lock(m_mutex);
    if (m_closing) {
        lock.unlock();
        LogRefused(job.channel);
        return;
    }
    m_queue.push_back(std::move(job));
    if (!m_thread.joinable()) m_thread = std::thread([this] { Deliver(); });
    m_changed.notify_all();
}

void NotifyDispatcher::Deliver() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing; });
        if (m_queue.empty()) return;  // closing, nothing left
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        try {
            job.send(job.account, job.record);
        } catch (...) {
            // The plug-ins never throw; a sender wrapper that does must not end the thread.
            Delivery failed{job.channel, text::kSendUnknownSlot, "", false,
                            Gbk(text::kSendInternalError)};
            AppendSendLog(ExeDir(), SendLogLine(NowText(), failed));
        }
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

bool NotifyDispatcher::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_queue.empty() && !m_busy; });
}

bool NotifyDispatcher::Shutdown(std::chrono::milliseconds grace) {
    std::deque<Job> dropped;
    bool idle;
    {
        std::unique_lock lock(m_mutex);
        m_closing = true;
        m_changed.notify_all();
        idle = m_changed.wait_for(lock, grace, [this] { return m_queue.empty() && !m_busy; });
        dropped.swap(m_queue);
    }
    if (!idle) m_libraries->CancelSends();
    for (const Job& job : dropped) LogRefused(job.channel);
    if (m_thread.joinable()) m_thread.join();
    return idle;
}

}  // namespace nuvaro
