#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"
#include "notify/notice_facts.h"

namespace nuvaro {

// The records handed to the sending plug-ins, GBK. A window record (Config.inf key `all`)
// holds the window's 19 fields, each followed by "|", without escaping. A test record is built
// by the recipient dialog from its unsaved fields: 18 fields, positions 1-5 and 7 (and 8 for
// SMS) carrying their own digit.

GbkText SmsTestRecord(const GbkText& address, const GbkText& text, const GbkText& mobiles,
                      const GbkText& countryCode);
GbkText EmailTestRecord(const GbkText& address, const GbkText& text, const GbkText& mobiles,
                        const GbkText& countryCode);

// The texts between the "|" of a record; text after the last "|" counts as one more field. A
// "|" byte that is the second byte of a GBK character does not separate.
std::vector<GbkText> SplitRecord(const GbkText& record);

// What the senders need from a record.
struct NotifyRecord {
    enum class Kind {
        Window,      // fields taken from the keys of the record's slot in Config.inf
        Test,        // a test record of the recipient dialog
        Positional,  // fields counted by position ("|" inside a field shifts them)
    };
    Kind kind = Kind::Positional;
    std::string slot;  // slot number when the record was found in Config.inf
    GbkText toMail, subject, body;
    GbkText smsBody, mobile, contry;
};

// Reads a record. A window record is looked up in `config` (Config.inf): the slot whose keys
// join to exactly this record, else the slot whose stored `all` is this record, gives every
// field from its keys, so a "|" inside a condition or a text cannot misdirect a notice. A record
// not found there is read as a test record when it has that layout, else by position.
NotifyRecord ParseNotifyRecord(const GbkText& record, const IniDocument& config);

// The record's texts (mail subject and body, SMS text) with their placeholders filled.
void FillNoticeTexts(NotifyRecord& record, const NoticeFacts& facts);

}  // namespace nuvaro
