#include "common/plugin_support.h"

#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/dynamic_library.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/plugin_contract.h"

namespace nuvaro::plugin {
namespace {

// An address inside this plug-in.
void Anchor() {}

}  // namespace

std::string PluginFolder() {
    std::string path = PathOfCodeAt(reinterpret_cast<const void*>(&Anchor));
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string PluginFile(std::string_view name) { return ResolveName(PluginFolder(), name); }

IniDocument LoadPluginIni(std::string_view name) {
    auto content = ReadWholeFile(PluginFile(name));
    return content ? IniDocument::Parse(*content) : IniDocument{};
}

long SecondsSetting(const IniDocument& doc, std::string_view section, std::string_view key,
                    long fallback) {
    auto value = ParseInteger(TrimControls(doc.Read(section, key).value_or("")));
    if (!value) return fallback;
    return *value < 1 ? 1 : *value > 600 ? 600 : static_cast<long>(*value);
}

void LogDelivery(const Delivery& delivery) {
    AppendSendLog(PluginFolder(), SendLogLine(NowText(), delivery));
}

const char* Keep(std::string& holder, std::string text) {
    holder = std::move(text);
    return holder.c_str();
}

GbkText ReplyToGbk(std::string_view reply) {
    return IsWellFormedUtf8(reply) ? ToGbk(reply) : GbkText::FromBytes(std::string(reply));
}

namespace {

// "<internal error>: <what>"
GbkText InternalError(const char* what) {
    GbkText detail = ToGbk(text::kSendInternalError);
    if (what) detail += ToGbk(": ") + ReplyToGbk(what);
    return detail;
}

}  // namespace

int GuardedSend(std::string_view channel, const std::function<bool()>& send) {
    try {
        return send() ? 1 : 0;
    } catch (const std::exception& e) {
        LogDelivery(
            {std::string(channel), text::kSendUnknownSlot, {}, false, InternalError(e.what())});
    } catch (...) {
        LogDelivery(
            {std::string(channel), text::kSendUnknownSlot, {}, false, InternalError(nullptr)});
    }
    return 0;
}

namespace {

void CopyReason(const std::string& text, char* reason, int reasonSize) {  // GBK
    if (!reason || reasonSize <= 0) return;
    size_t room = static_cast<size_t>(reasonSize) - 1, n = 0;
    while (n < text.size()) {
        auto c = static_cast<unsigned char>(text[n]);
        size_t width = (c >= 0x81 && c <= 0xFE && n + 1 < text.size()) ? 2 : 1;
        if (n + width > room) break;
        n += width;
    }
    text.copy(reason, n);
    reason[n] = '\0';
}

}  // namespace

int GuardedTry(std::string_view channel, int attempt, char* reason, int reasonSize,
               const std::function<int(Delivery&)>& send) {
    Delivery delivery{std::string(channel), text::kSendUnknownSlot, {}, false, {}, attempt};
    int outcome = kTryPermanent;
    try {
        outcome = send(delivery);
        delivery.ok = outcome == kTrySent;
    } catch (const std::exception& e) {
        delivery.ok = false;
        delivery.detail = InternalError(e.what());
    } catch (...) {
        delivery.ok = false;
        delivery.detail = InternalError(nullptr);
    }
    try {
        LogDelivery(delivery);
        CopyReason(delivery.detail.bytes(), reason, reasonSize);
    } catch (...) {
    }
    return outcome;
}

std::string SlotLabel(const NotifyRecord& record) {
    if (record.kind == NotifyRecord::Kind::Test) return text::kSendTestSlot;
    return record.slot.empty() ? std::string(text::kSendUnknownSlot) : record.slot;
}

const char* RecordRecipients(const char* record, GbkText NotifyRecord::*field) {
    thread_local std::string lines;
    try {
        NotifyRecord r = ParseNotifyRecord(GbkArg(record), LoadPluginIni("Config.inf"));
        lines.clear();
        for (const auto& recipient : SplitRecipientList(r.*field)) {
            lines += recipient.view();
            lines += '\n';
        }
        return lines.c_str();
    } catch (...) {
        return Keep(lines, "");
    }
}

bool ServeEach(Delivery delivery, const std::vector<GbkText>& recipients, const GbkText& noneText,
               const std::function<void(const GbkText&, Delivery&)>& serve) {
    if (recipients.empty()) {
        delivery.detail = noneText;
        LogDelivery(delivery);
        return false;
    }
    bool allServed = true;
    for (const auto& recipient : recipients) {
        delivery.ok = false;
        delivery.detail.clear();
        serve(recipient, delivery);
        allServed = allServed && delivery.ok;
        LogDelivery(delivery);
    }
    return allServed;
}

}  // namespace nuvaro::plugin
