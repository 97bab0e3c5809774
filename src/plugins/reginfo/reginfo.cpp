// The record store: window records from Config.inf, the sender mail account in email.inf and
// the SMS account in sms.inf, all in the plug-in's folder.

#include <type_traits>

#include "common/plugin_support.h"
#include "core/ini_file.h"
#include "core/private_files.h"
#include "notify/account_text.h"
#include "notify/plugin_contract.h"

namespace nuvaro::plugin {
namespace {

constexpr std::string_view kEmailSection = "email";
// Texts handed out, valid until the next call.
thread_local std::string t_windowInfo, t_userId, t_email;

void WriteEmailFile(const MailAccount& account) {
    const std::string path = PluginFile("email.inf");
    IniFile(path, kPrivateFileMode).Update([&](IniDocument& doc) {
        doc.WriteGbk(kEmailSection, "Smtp", GbkText::FromBytes(account.smtp));
        doc.WriteGbk(kEmailSection, "UserName", GbkText::FromBytes(account.user));
        doc.WriteGbk(kEmailSection, "Password", GbkText::FromBytes(account.password));
        doc.WriteGbk(kEmailSection, "SmtpPort", GbkText::FromBytes(account.port));
        // A file that others could read is closed to them before the password goes in; its
        // owner's bits stay, so a read-only file is still refused.
        MakePrivate(path);
    });
}

}  // namespace
}  // namespace nuvaro::plugin

using namespace nuvaro;
using namespace nuvaro::plugin;

NUVARO_EXPORT const char* NUVARO_PLUGIN_CALL ReadWindowsInfo(const char* slot) {
    try {
        return Keep(
            t_windowInfo,
            LoadPluginIni("Config.inf").ReadGbk(Arg(slot), "all").value_or(GbkText()).bytes());
    } catch (...) {
        return Keep(t_windowInfo, "");
    }
}

NUVARO_EXPORT const char* NUVARO_PLUGIN_CALL ReadUserId() {
    try {
        IniDocument doc = LoadPluginIni("sms.inf");
        SmsIdentity id{doc.ReadGbk("sms", "Account").value_or(GbkText()).bytes(),
                       doc.ReadGbk("sms", "Token").value_or(GbkText()).bytes()};
        return Keep(t_userId, EncodeSmsIdentity(id));
    } catch (...) {
        return Keep(t_userId, "");
    }
}

NUVARO_EXPORT const char* NUVARO_PLUGIN_CALL ReadEmail() {
    try {
        IniDocument doc = LoadPluginIni("email.inf");
        auto key = [&](const char* name) {
            return doc.ReadGbk(kEmailSection, name).value_or(GbkText()).bytes();
        };
        return Keep(t_email, EncodeMailAccount({key("Smtp"), key("SmtpPort"), key("UserName"),
                                                key("Password"), key("Security")}));
    } catch (...) {
        return Keep(t_email, "");
    }
}

// The fifth argument is accepted for the callers' sake and carries no meaning here.
NUVARO_EXPORT int NUVARO_PLUGIN_CALL SaveEmail(const char* smtp, const char* user,
                                               const char* password, const char* port,
                                               const char*) {
    try {
        WriteEmailFile({Arg(smtp), Arg(port), Arg(user), Arg(password)});
        return 1;
    } catch (...) {
        return 0;
    }
}

// How the account's connection is secured ("SSL", "STARTTLS"; empty: the port decides), in a
// key of its own beside the four of SaveEmail; a file without the key gets none for "empty".
NUVARO_EXPORT int NUVARO_PLUGIN_CALL SaveEmailSecurity(const char* security) {
    try {
        const std::string path = PluginFile("email.inf");
        const GbkText value = GbkArg(security);
        if (value.empty() && !LoadPluginIni("email.inf").Read(kEmailSection, "Security")) return 1;
        IniFile(path, kPrivateFileMode).Update([&](IniDocument& doc) {
            doc.WriteGbk(kEmailSection, "Security", value);
            MakePrivate(path);
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

static_assert(std::is_same_v<decltype(&ReadWindowsInfo), ReadWindowsInfoFn>);
static_assert(std::is_same_v<decltype(&ReadUserId), ReadUserIdFn>);
static_assert(std::is_same_v<decltype(&ReadEmail), ReadEmailFn>);
static_assert(std::is_same_v<decltype(&SaveEmail), SaveEmailFn>);
static_assert(std::is_same_v<decltype(&SaveEmailSecurity), SaveEmailSecurityFn>);
