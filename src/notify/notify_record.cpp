#include "notify/notify_record.h"

#include <optional>

#include "config/tconfig.h"

namespace nuvaro {
namespace {

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

GbkText TestRecord(const GbkText& address, std::string_view middle, const GbkText& text,
                   const GbkText& mobiles, const GbkText& countryCode) {
    std::string record = "1|2|3|4|5|";
    record.append(address.view()).append(middle).append(text.view()).append("|");
    record.append(mobiles.view()).append("|").append(countryCode.view()).append("|||||||");
    return GbkText::FromBytes(std::move(record));
}

GbkText Join(const std::vector<GbkText>& fields, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to; ++i) {
        if (i > from) out += '|';
        out += fields[i].view();
    }
    return GbkText::FromBytes(std::move(out));
}

// The 19 keys whose values, each followed by "|", make up a window record (RegGrp is not one).
GbkText RecordFromKeys(const IniDocument& config, const std::string& section) {
    std::string record;
    for (const auto& key : TConfig::kKeys) {
        if (std::string_view(key.name) == "RegGrp") continue;
        record += config.ReadGbk(section, key.name).value_or(GbkText()).view();
        record += '|';
    }
    return GbkText::FromBytes(std::move(record));
}

NotifyRecord FromSlot(const IniDocument& config, const std::string& section) {
    NotifyRecord r;
    r.kind = NotifyRecord::Kind::Window;
    r.slot = section;
    auto key = [&](const char* name) { return config.ReadGbk(section, name).value_or(GbkText()); };
    r.toMail = key("ToMail");
    r.subject = key("Subject");
    r.body = key("Body");
    r.smsBody = key("SmsBody");
    r.mobile = key("Mobile");
    r.contry = key("Contry");
    return r;
}

std::optional<NotifyRecord> FromConfig(const GbkText& record, const IniDocument& config) {
    std::optional<std::string> stored;
    for (const auto& section : config.SectionNames()) {
        if (RecordFromKeys(config, section) == record) return FromSlot(config, section);
        auto all = config.ReadGbk(section, "all");
        if (!stored && all && *all == record) stored = section;
    }
    // The window's own save writes its name, address, interval and switches key by key and
    // leaves `all` as it was, so the keys no longer join to the record; the stored record still
    // names the slot. Recipients and texts change only in a whole-slot write, which rewrites
    // `all` as well, so the slot's keys for them are the ones the record was made from.
    if (stored) return FromSlot(config, *stored);
    return std::nullopt;
}

// Positions 1-5 "1".."5", 6 address, 7 "7", 8-9 "8|utf-8" (SMS) or "| utf-8" (e-mail),
// 10 text, 11 numbers, 12 code, 13-18 empty. The address and the text may hold "|".
std::optional<NotifyRecord> FromTestLayout(const std::vector<GbkText>& f) {
    if (f.size() < 18) return std::nullopt;
    for (size_t i = 0; i < 5; ++i) {
        if (f[i].view() != std::to_string(i + 1)) return std::nullopt;
    }
    for (size_t i = f.size() - 6; i < f.size(); ++i) {
        if (!f[i].empty()) return std::nullopt;
    }
    const size_t tailEnd = f.size() - 6;
    for (size_t j = 6; j + 6 <= tailEnd; ++j) {
        bool sms = f[j + 1].view() == "8" && f[j + 2].view() == "utf-8";
        bool mail = f[j + 1].empty() && f[j + 2].view() == " utf-8";
        if (f[j].view() != "7" || !(sms || mail)) continue;
        NotifyRecord r;
        r.kind = NotifyRecord::Kind::Test;
        r.toMail = Join(f, 5, j);
        r.body = r.smsBody = Join(f, j + 3, tailEnd - 2);
        r.mobile = f[tailEnd - 2];
        r.contry = f[tailEnd - 1];
        return r;
    }
    return std::nullopt;
}

}  // namespace

GbkText SmsTestRecord(const GbkText& address, const GbkText& text, const GbkText& mobiles,
                      const GbkText& countryCode) {
    return TestRecord(address, "|7|8|utf-8|", text, mobiles, countryCode);
}

GbkText EmailTestRecord(const GbkText& address, const GbkText& text, const GbkText& mobiles,
                        const GbkText& countryCode) {
    return TestRecord(address, "|7|| utf-8|", text, mobiles, countryCode);
}

std::vector<GbkText> SplitRecord(const GbkText& gbk) {
    const std::string_view record = gbk.view();
    std::vector<GbkText> fields;
    size_t start = 0;
    for (size_t i = 0; i < record.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(record[i])) && i + 1 < record.size()) {
            ++i;
        } else if (record[i] == '|') {
            fields.push_back(GbkText::FromBytes(std::string(record.substr(start, i - start))));
            start = i + 1;
        }
    }
    if (start < record.size())
        fields.push_back(GbkText::FromBytes(std::string(record.substr(start))));
    return fields;
}

NotifyRecord ParseNotifyRecord(const GbkText& record, const IniDocument& config) {
    if (auto found = FromConfig(record, config)) return *found;
    auto fields = SplitRecord(record);
    if (auto test = FromTestLayout(fields)) return *test;
    NotifyRecord r;
    auto at = [&](size_t position) {
        return position <= fields.size() ? fields[position - 1] : GbkText();
    };
    r.toMail = at(6);
    r.subject = at(8);
    r.body = at(10);
    r.smsBody = at(11);
    r.mobile = at(12);
    r.contry = at(13);
    return r;
}

void FillNoticeTexts(NotifyRecord& record, const NoticeFacts& facts) {
    NoticeTexts t = FillNoticeFacts({record.subject, record.body, record.smsBody}, facts);
    record.subject = std::move(t.subject);
    record.body = std::move(t.body);
    record.smsBody = std::move(t.sms);
}

}  // namespace nuvaro
