// The dispatch over the real plug-ins, the real desktop shell, SMTP servers and an HTTP SMS
// gateway on 127.0.0.1, and a local program that records its arguments.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <mutex>

#include "config/tconfig.h"
#include "notify/notify_dispatcher.h"
#include "platform/posix/desktop_shell.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"

namespace nuvaro {

using namespace std::chrono_literals;
using testing::G;
using testing::GT;
using testing::LocalHttpServer;
using testing::SmtpTestServer;
using Lines = std::vector<std::string>;

inline DeliveryPolicy QuickRetries() {
    DeliveryPolicy policy;
    policy.retryPauses = {300ms, 600ms, 900ms};
    policy.giveUpAfter = 0ms;  // the first retries only
    return policy;
}

class DispatchEndToEnd : public ::testing::Test {
  protected:
    DispatchEndToEnd() {
        testing::InstallPlugins(m_dir);
        m_gateway.Get("/sms", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("ok", "text/plain");
        });
        Gateway(m_gateway.Url("/sms"));
    }

    void Gateway(const std::string& url, int timeout = 10) {
        m_dir.Write("sms.inf", "[sms]\r\nGateway=" + url + "?to={number}&text={text}\r\nTimeout=" +
                                   std::to_string(timeout) + "\r\n");
    }
    void MailServer(int port, int timeout = 10) {
        m_dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(port) +
                                     "\r\nTimeout=" + std::to_string(timeout) +
                                     "\r\nConnectTimeout=" + std::to_string(timeout) + "\r\n");
    }

    TConfig& Window(int index) {
        m_slots.push_back(std::make_unique<TConfig>(index, m_dir.File("Config.inf")));
        TConfig& slot = *m_slots.back();
        slot.WindowName = "显卡";
        slot.url = "http://shop.example/item?id=7";
        slot.Regx = "缺货|到货";
        slot.ToMail = "watcher@example.com";
        slot.Subject = "Nuvaro提醒邮件";
        slot.Body = slot.SmsBody = "有货了";
        slot.Mobile = "13800138000";
        slot.Contry = "+86";
        slot.OtherOpen = slot.SmsOpen = slot.EmailOpen = "1";
        slot.OtherProgram = m_recorder;
        slot.OtherStr = "--window 商店 \"two words\"";
        slot.SaveAll();
        return slot;
    }

    NotifyDispatcher& Dispatcher(DeliveryPolicy policy = QuickRetries(),
                                 std::unique_ptr<Outbox> outbox = {}) {
        m_dispatcher = std::make_unique<NotifyDispatcher>(m_shell, MakePluginLibraries(), policy,
                                                          std::move(outbox));
        m_dispatcher->SetFailureObserver([this](const FailedNotice& failed) {
            std::lock_guard lock(m_mutex);
            m_failed.push_back(failed);
        });
        return *m_dispatcher;
    }
    std::vector<FailedNotice> Failed() {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }
    Lines LogWith(const std::string& part) {
        Lines lines;
        for (const auto& line : testing::SendLogLines(m_dir)) {
            if (line.find(part) != std::string::npos) lines.push_back(line);
        }
        return lines;
    }

    testing::TempExeDir m_dir;
    std::string m_recorder = testing::InstallRecorder(m_dir);
    LocalHttpServer m_gateway;
    DesktopShell m_shell;
    std::vector<std::unique_ptr<TConfig>> m_slots;
    std::mutex m_mutex;
    std::vector<FailedNotice> m_failed;
    std::unique_ptr<NotifyDispatcher> m_dispatcher;
};

}  // namespace nuvaro
