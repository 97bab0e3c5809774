#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvaro {

// The account texts that the record store hands out (ReadEmail, ReadUserId) and the senders
// read back. A text is a tag and its fields joined by "|", every field percent-encoded (each
// byte but ASCII letters, digits and "-._~@:+/!" as %XX), so a field may hold any byte,
// "|" and "%" included, and never spills into the next.

struct MailAccount {
    std::string smtp, port, user, password;
    std::string security = {};  // email.inf's "Security" (kMailSecuritySsl, ...); empty: none
};

struct SmsIdentity {
    std::string account, token;
};

std::string EncodeMailAccount(const MailAccount& account);
// nullopt unless the text is a mail account text.
std::optional<MailAccount> DecodeMailAccount(std::string_view text);

std::string EncodeSmsIdentity(const SmsIdentity& identity);
std::optional<SmsIdentity> DecodeSmsIdentity(std::string_view text);

// A tag and its fields, each percent-encoded, joined by "|"; and back (nullopt unless the text
// has this tag and exactly `count` fields).
std::string EncodeTaggedFields(std::string_view tag,
                               std::initializer_list<std::string_view> fields);
std::optional<std::vector<std::string>> DecodeTaggedFields(std::string_view text,
                                                           std::string_view tag, size_t count);

// The field codec underneath.
std::string PercentEncodeField(std::string_view field);
std::optional<std::string> PercentDecodeField(std::string_view field);

}  // namespace nuvaro
