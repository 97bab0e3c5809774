#include "notify/plugin_loader.h"

#include <map>
#include <mutex>

#include "core/atomic_file.h"
#include "core/dynamic_library.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/plugin_contract.h"

namespace nuvaro {
namespace {

std::mutex g_mutex;
// Full path -> handle. Never closed: threads of a plug-in's libraries may outlive an unload.
std::map<std::string, void*> g_loaded;

void* LoadLocked(const std::string& path) {
    if (auto it = g_loaded.find(path); it != g_loaded.end()) return it->second;
    std::string why;
    void* handle = OpenLibrary(path, why);
    if (!handle) {
        throw PluginError(text::kPluginCannotLoad + path + (why.empty() ? "" : "\n" + why));
    }
    g_loaded.emplace(path, handle);
    return handle;
}

GbkText Text(const char* result) { return GbkText::FromBytes(result ? result : ""); }

std::vector<GbkText> SplitLines(const GbkText& gbk) {
    const std::string& text = gbk.bytes();
    std::vector<GbkText> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(GbkText::FromBytes(text.substr(start, end - start)));
    }
    return lines;
}

GbkText RecipientRefusal(const GbkText& recipient) {
    return ToGbk(text::kSendBadRecipient) +
           GbkText::FromBytes(std::string(GbkPrefix(recipient.view(), 200)));
}

TryOutcome Outcome(int code) {
    if (code == plugin::kTrySent) return TryOutcome::Sent;
    if (code == plugin::kTryPassing) return TryOutcome::Passing;
    return TryOutcome::Permanent;
}

class PluginLibraries : public NotifyLibraries {
  public:
    GbkText ReadWindowsInfo(std::string_view slot) override {
        auto fn = PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo");
        return Text(fn(std::string(slot).c_str()));
    }
    GbkText ReadUserId() override {
        return Text(PluginFunctionAs<ReadUserIdFn>(plugin::kRegInfo, "ReadUserId")());
    }
    GbkText ReadEmail() override {
        return Text(PluginFunctionAs<ReadEmailFn>(plugin::kRegInfo, "ReadEmail")());
    }
    void SaveEmail(const GbkText& smtp, const GbkText& user, const GbkText& password,
                   const GbkText& port, const GbkText& flag) override {
        auto fn = PluginFunctionAs<SaveEmailFn>(plugin::kRegInfo, "SaveEmail");
        int saved = fn(smtp.bytes().c_str(), user.bytes().c_str(), password.bytes().c_str(),
                       port.bytes().c_str(), flag.bytes().c_str());
        // A refused settings write is reported like every other one, not lost in silence.
        if (saved == 0) throw FileWriteError(ExeDirFile("email.inf"));
    }
    void SaveEmailSecurity(const GbkText& security) override {
        auto fn = PluginFunctionAs<SaveEmailSecurityFn>(plugin::kRegInfo, "SaveEmailSecurity");
        if (fn(security.bytes().c_str()) == 0) throw FileWriteError(ExeDirFile("email.inf"));
    }
    Sender SmsSender() override { return Resolve(plugin::kSmsDll, "SmsRecipients", "SendSmsTry"); }
    Sender MailSender() override {
        return Resolve(plugin::kEmailDll, "MailRecipients", "SendMailTry");
    }
    void CancelSends() override {
        for (const char* sender : {plugin::kSmsDll, plugin::kEmailDll}) {
            if (void* cancel = LoadedPluginFunction(sender, "CancelSends")) {
                reinterpret_cast<CancelSendsFn>(cancel)();
            }
        }
    }

  private:
    static Sender Resolve(const char* file, const char* listName, const char* tryName) {
        auto list = PluginFunctionAs<RecipientsFn>(file, listName);
        auto send = PluginFunctionAs<SendTryFn>(file, tryName);
        return {[list](const GbkText& record) {
                    return SplitLines(Text(list(record.bytes().c_str())));
                },
                [send](const SendTry& t) {
                    // A NUL would cut the address short on its way into the plug-in.
                    if (HasControlCharacter(t.recipient.view())) {
                        return TryResult{TryOutcome::Permanent, RecipientRefusal(t.recipient)};
                    }
                    char reason[1024] = {};
                    int outcome =
                        send(t.account.bytes().c_str(), t.record.bytes().c_str(), t.notice.c_str(),
                             t.recipient.bytes().c_str(), t.attempt, reason, sizeof reason);
                    reason[sizeof reason - 1] = '\0';
                    return TryResult{Outcome(outcome), GbkText::FromBytes(reason)};
                }};
    }
};

}  // namespace

void* PluginFunction(std::string_view fileName, const char* function) {
    std::string path = ExeDirFile(fileName);
    std::lock_guard lock(g_mutex);
    void* handle = LoadLocked(path);
    void* symbol = LibraryFunction(handle, function);
    if (!symbol) {
        throw PluginError(text::kPluginNoFunction + std::string(function) + " (" + path + ")");
    }
    return symbol;
}

void* LoadedPluginFunction(std::string_view fileName, const char* function) {
    std::lock_guard lock(g_mutex);
    auto it = g_loaded.find(ExeDirFile(fileName));
    return it == g_loaded.end() ? nullptr : LibraryFunction(it->second, function);
}

std::unique_ptr<NotifyLibraries> MakePluginLibraries() {
    return std::make_unique<PluginLibraries>();
}

}  // namespace nuvaro
