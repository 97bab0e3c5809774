#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"

namespace nuvaro {

// What section "sms" of sms.inf holds, key by key, as the SMS gateway dialog edits it (UTF-8 here,
// GBK in the file; an empty value: the key's default). The SMS plug-in reads the file itself
// (ReadSmsGateway): this only writes what it reads.
struct SmsSettings {
    std::string gateway, method, body, contentType, header, account, token, charset, success,
        timeout, connectTimeout, caFile;
};

SmsSettings ReadSmsSettings(const IniDocument& smsInf);
// Writes each key that has a value or that the file holds already; other keys, sections and
// lines stay as they are.
void WriteSmsSettings(IniDocument& smsInf, const SmsSettings& settings);

// What keeps the settings from sending an SMS (UTF-8, one sentence each); none when they can.
std::vector<std::string> CheckSmsSettings(const SmsSettings& settings);

// The settings as an account text that the SMS plug-in takes in place of sms.inf, so that a
// test sends with what the dialog shows before it is saved (ASCII, as the plug-in takes it); and
// back.
std::string EncodeSmsSettingsAccount(const SmsSettings& settings);
std::optional<IniDocument> DecodeSmsSettingsAccount(std::string_view account);

}  // namespace nuvaro
