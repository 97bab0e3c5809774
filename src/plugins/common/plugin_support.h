#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"
#include "notify/notify_record.h"
#include "notify/send_log.h"

// The only symbols a plug-in exports.
#define NUVARO_EXPORT extern "C" NUVARO_EXPORT_ATTRIBUTE

namespace nuvaro::plugin {

// Folder of the plug-in file that holds this code: its installation folder, where its files
// (Config.inf, email.inf, sms.inf, Log/) lie.
std::string PluginFolder();

// `name` in that folder, matched without regard to ASCII case.
std::string PluginFile(std::string_view name);

// An INI file of that folder as it is now (empty when missing).
IniDocument LoadPluginIni(std::string_view name);

// Whole seconds from a key, 1 to 600; `fallback` when the key is missing or not a number.
long SecondsSetting(const IniDocument& doc, std::string_view section, std::string_view key,
                    long fallback);

// Appends the outcome to Log/sendlog.txt in the plug-in's folder.
void LogDelivery(const Delivery& delivery);

// Stores `text` in `holder` and returns its C string, valid until `holder` is set again.
const char* Keep(std::string& holder, std::string text);

inline std::string Arg(const char* s) { return s ? std::string(s) : std::string(); }
// An argument that carries GBK text.
inline GbkText GbkArg(const char* s) { return GbkText::FromBytes(Arg(s)); }

// Serves each recipient in turn (`serve` names the recipient in the delivery and fills in its
// outcome) and logs every outcome; without recipients, logs the failure `noneText`. True when
// every recipient was served.
bool ServeEach(Delivery delivery, const std::vector<GbkText>& recipients, const GbkText& noneText,
               const std::function<void(const GbkText& recipient, Delivery& delivery)>& serve);

// Runs a plug-in's send; nothing escapes the plug-in boundary, and a failure that escapes the
// send itself is logged on `channel`. Returns 1 when every recipient was served, else 0.
int GuardedSend(std::string_view channel, const std::function<bool()>& send);

// Runs one try of a SendXxxTry export: `send` fills in the delivery (slot, recipient, outcome,
// detail) and returns kTrySent, kTryPassing or kTryPermanent. The try is logged with its number
// and its detail copied into `reason` (cut at a character boundary to fit `reasonSize`).
// Nothing escapes the plug-in boundary; a failure that escapes `send` is permanent.
int GuardedTry(std::string_view channel, int attempt, char* reason, int reasonSize,
               const std::function<int(Delivery& delivery)>& send);

// What a RecipientsFn export hands out: the recipients in `field` of the record (mobile
// numbers, addresses), each followed by "\n"; valid until the next call on this thread.
const char* RecordRecipients(const char* record, GbkText NotifyRecord::*field);

// The slot label of a record's log lines: "test", the slot number, or "?".
std::string SlotLabel(const NotifyRecord& record);

// Server replies are mostly UTF-8; the log is GBK. Text that is not UTF-8 is kept as it is.
GbkText ReplyToGbk(std::string_view reply);

}  // namespace nuvaro::plugin
