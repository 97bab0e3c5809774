#pragma once

// The C entry points of the notification plug-ins. Every text is a NUL-terminated GBK string;
// a returned text stays valid until the next call into the same plug-in. The results of
// SaveEmail, SendSms and SendMail are informative only (1 when everything went out).
extern "C" {
using ReadWindowsInfoFn = const char* (*)(const char* slot);
using ReadUserIdFn = const char* (*)();
using ReadEmailFn = const char* (*)();
using SaveEmailFn = int (*)(const char* smtp, const char* user, const char* password,
                            const char* port, const char* flag);
using SendSmsFn = int (*)(const char* userId, const char* record);
using SendMailFn = int (*)(const char* account, const char* record);
// Optional in a sending plug-in: ends its sends within about a second (the program exits).
using CancelSendsFn = void (*)();
}

namespace nuvaro::plugin {

inline constexpr const char* kRegInfo = "RegInfo.so";
inline constexpr const char* kSmsDll = "smsdll.so";
inline constexpr const char* kEmailDll = "emaildll.so";

}  // namespace nuvaro::plugin
