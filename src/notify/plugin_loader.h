#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk_text.h"
#include "notify/delivery_channel.h"

namespace nuvaro {

// A plug-in that cannot be loaded, or that lacks an entry point. The message (UTF-8, like every
// exception message of the program) names the full file.
class PluginError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The entry point `function` of the plug-in `fileName` in the executable's folder. Each file
// is loaded once, when first needed, and stays loaded. Thread-safe. Throws PluginError.
void* PluginFunction(std::string_view fileName, const char* function);

// The entry point when the plug-in is loaded already and has it; null otherwise (loads nothing).
void* LoadedPluginFunction(std::string_view fileName, const char* function);

template <typename Fn>
Fn PluginFunctionAs(std::string_view fileName, const char* function) {
    return reinterpret_cast<Fn>(PluginFunction(fileName, function));
}

// One try of one recipient, as a sender plug-in makes it.
struct SendTry {
    GbkText account;     // ReadUserId or ReadEmail
    GbkText record;      // window record or test record
    std::string notice;  // EncodeNoticeFacts, or empty: the texts go as they stand
    GbkText recipient;   // one of the record's recipients (empty: it names none)
    int attempt = 1;
};

// The calls the program makes into the record store and the two senders, as C++.
class NotifyLibraries {
  public:
    // A sender's functions; both may be called on any thread.
    struct Sender {
        std::function<std::vector<GbkText>(const GbkText& record)> recipients;
        std::function<TryResult(const SendTry& one)> send;  // logs the try
    };

    virtual ~NotifyLibraries() = default;
    // Null results read as the empty text; the texts are copies.
    virtual GbkText ReadWindowsInfo(std::string_view slot) = 0;
    virtual GbkText ReadUserId() = 0;
    virtual GbkText ReadEmail() = 0;
    // Throws FileWriteError when the store could not write email.inf.
    virtual void SaveEmail(const GbkText& smtp, const GbkText& user, const GbkText& password,
                           const GbkText& port, const GbkText& flag) = 0;
    // The account's security choice beside it (SaveEmailSecurity); throws as SaveEmail does.
    virtual void SaveEmailSecurity(const GbkText&) {}
    // The senders, resolved now so that a missing plug-in is reported to the caller.
    virtual Sender SmsSender() = 0;
    virtual Sender MailSender() = 0;
    // Asks the senders to end their sends soon (the program exits); each is logged as failed.
    virtual void CancelSends() {}
};

// The real plug-ins (RegInfo.so, smsdll.so, emaildll.so) beside the executable.
std::unique_ptr<NotifyLibraries> MakePluginLibraries();

}  // namespace nuvaro
