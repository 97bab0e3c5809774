#pragma once

// The C entry points of the notification plug-ins, exported by name in the system's calling
// convention of such libraries (NUVARO_PLUGIN_CALL: stdcall on 32-bit Windows, the one
// convention elsewhere). Every text is a NUL-terminated GBK string; a returned text stays valid
// until the next call into the same plug-in on the same thread. The results of SaveEmail,
// SendSms and SendMail are informative only (1 when everything went out). No entry point lets
// an exception out.
extern "C" {
using ReadWindowsInfoFn = const char*(NUVARO_PLUGIN_CALL*)(const char* slot);
using ReadUserIdFn = const char*(NUVARO_PLUGIN_CALL*)();
using ReadEmailFn = const char*(NUVARO_PLUGIN_CALL*)();
using SaveEmailFn = int(NUVARO_PLUGIN_CALL*)(const char* smtp, const char* user,
                                             const char* password, const char* port,
                                             const char* flag);
// Optional in the record store: the security choice of the mail account ("SSL", "STARTTLS" or
// empty), stored beside the account that SaveEmail stores.
using SaveEmailSecurityFn = int(NUVARO_PLUGIN_CALL*)(const char* security);
// Whole record, every recipient in turn, each logged.
using SendSmsFn = int(NUVARO_PLUGIN_CALL*)(const char* userId, const char* record);
using SendMailFn = int(NUVARO_PLUGIN_CALL*)(const char* account, const char* record);
// Optional in a sending plug-in: ends its sends within about a second (the program exits).
using CancelSendsFn = void(NUVARO_PLUGIN_CALL*)();

// SmsRecipients, MailRecipients: the recipients a record names, each followed by "\n" (an
// empty text when it names none).
using RecipientsFn = const char*(NUVARO_PLUGIN_CALL*)(const char* record);
// SendSmsTry, SendMailTry: one try to one recipient of the record, logged with its number
// (`attempt`, from 1). `notice` holds the facts of the moment for the placeholders of the texts
// (EncodeNoticeFacts; null or empty: the texts go as they stand). Returns one of the outcomes
// below and writes the reason (the server's reply or the error, GBK) into `reason`, cut to
// `reasonSize` bytes with its NUL.
using SendTryFn = int(NUVARO_PLUGIN_CALL*)(const char* account, const char* record,
                                           const char* notice, const char* recipient, int attempt,
                                           char* reason, int reasonSize);
}

namespace nuvaro::plugin {

// The system's suffix of loadable libraries: ".so" here, ".dll" on Windows.
inline constexpr const char* kRegInfo = "RegInfo" NUVARO_PLUGIN_SUFFIX;
inline constexpr const char* kSmsDll = "smsdll" NUVARO_PLUGIN_SUFFIX;
inline constexpr const char* kEmailDll = "emaildll" NUVARO_PLUGIN_SUFFIX;

// Outcomes of a try: sent; failed for a reason that may pass (no connection, a time-out, SMTP
// 4xx, HTTP 5xx, 408 or 429), so worth another try; failed for good.
inline constexpr int kTrySent = 0;
inline constexpr int kTryPassing = 1;
inline constexpr int kTryPermanent = 2;

}  // namespace nuvaro::plugin
