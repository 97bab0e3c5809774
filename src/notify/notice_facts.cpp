#include "notify/notice_facts.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "core/command_line.h"
#include "core/gbk.h"
#include "core/notice_texts.h"
#include "core/text_util.h"
#include "notify/account_text.h"

namespace nuvaro {
namespace {

constexpr std::string_view kTag = "notice";

bool IsGbkLeadByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The fact that the placeholder at `at` names, and the placeholder's length.
std::pair<std::optional<std::string_view>, size_t> PlaceholderAt(std::string_view text, size_t at,
                                                                 const NoticeFacts& f) {
    const std::pair<std::string_view, std::string_view> names[] = {
        {"{found}", f.found.view()}, {"{name}", f.name.view()}, {"{url}", f.url.view()},
        {"{time}", f.time},          {"{slot}", f.slot},        {"{previous}", f.previous.view()},
        {"{value}", f.value.view()}};
    for (const auto& [name, value] : names) {
        if (text.substr(at, name.size()) == name) return {value, name.size()};
    }
    return {std::nullopt, 0};
}

bool HasPlaceholder(std::string_view text) {
    NoticeFacts none;
    for (size_t i = text.find('{'); i != std::string_view::npos; i = text.find('{', i + 1)) {
        if (PlaceholderAt(text, i, none).first) return true;
    }
    return false;
}

}  // namespace

GbkText FillPlaceholders(const GbkText& gbk, const NoticeFacts& facts) {
    const std::string_view text = gbk.view();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (IsGbkLeadByte(text[i]) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        auto [value, length] = text[i] == '{'
                                   ? PlaceholderAt(text, i, facts)
                                   : std::pair<std::optional<std::string_view>, size_t>{};
        if (value) {
            out += *value;
            i += length;
        } else {
            out += text[i++];
        }
    }
    return GbkText::FromBytes(std::move(out));
}

GbkText FillProgramParameters(const GbkText& parameters, const NoticeFacts& facts) {
    if (!HasPlaceholder(parameters.view())) return parameters;
    // Split as the shell will, on UTF-8: a GBK trail byte can be a backslash.
    std::vector<std::string> args = SplitCommandLine(ToUtf8(parameters));
    for (auto& arg : args) arg = ToUtf8(FillPlaceholders(ToGbk(arg), facts));
    return ToGbk(JoinCommandLine(args));
}

std::string EncodeNoticeFacts(const NoticeFacts& f) {
    return EncodeTaggedFields(kTag, {f.found.view(), f.name.view(), f.url.view(), f.time, f.slot,
                                     f.previous.view(), f.id, f.value.view(), f.kind,
                                     f.subject.view(), f.message.view(), std::to_string(f.folded)});
}

// A line of fewer fields comes from a program that knew no {previous} (five) or no notice id
// (six) or no {value} (seven): they are then empty.
std::optional<NoticeFacts> DecodeNoticeFacts(std::string_view text) {
    auto f = DecodeTaggedFields(text, kTag, 12);
    if (!f) f = DecodeTaggedFields(text, kTag, 8);
    if (!f) f = DecodeTaggedFields(text, kTag, 7);
    if (!f) f = DecodeTaggedFields(text, kTag, 6);
    if (!f) f = DecodeTaggedFields(text, kTag, 5);
    if (!f) return std::nullopt;
    f->resize(12);
    auto gbk = [&](size_t i) { return GbkText::FromBytes((*f)[i]); };
    return NoticeFacts{gbk(0),  gbk(1),  gbk(2),
                       (*f)[3], (*f)[4], gbk(5),
                       (*f)[6], gbk(7),  (*f)[8],
                       gbk(9),  gbk(10), static_cast<int>(ParseInteger((*f)[11]).value_or(0))};
}

NoticeTexts FillNoticeFacts(const NoticeTexts& window, const NoticeFacts& facts) {
    if (!facts.message.empty()) return {facts.subject, facts.message, facts.message};
    NoticeTexts t{FillPlaceholders(window.subject, facts), FillPlaceholders(window.body, facts),
                  FillPlaceholders(window.sms, facts)};
    if (facts.folded > 1) {
        char prefix[128];
        std::snprintf(prefix, sizeof prefix, text::kFoldedPrefix, facts.folded);
        const GbkText head = ToGbk(prefix);
        t.body = head + t.body;
        t.sms = head + t.sms;
    }
    return t;
}

}  // namespace nuvaro
