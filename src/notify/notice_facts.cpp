#include "notify/notice_facts.h"

#include <vector>

#include "core/command_line.h"
#include "core/gbk.h"
#include "notify/account_text.h"

namespace nuvaro {
namespace {

constexpr std::string_view kTag = "notice";

bool IsGbkLeadByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The fact that the placeholder at `at` names, and the placeholder's length.
std::pair<const std::string*, size_t> PlaceholderAt(std::string_view text, size_t at,
                                                    const NoticeFacts& f) {
    const std::pair<std::string_view, const std::string*> names[] = {
        {"{found}", &f.found}, {"{name}", &f.name}, {"{url}", &f.url},
        {"{time}", &f.time},   {"{slot}", &f.slot}, {"{previous}", &f.previous}};
    for (const auto& [name, value] : names) {
        if (text.substr(at, name.size()) == name) return {value, name.size()};
    }
    return {nullptr, 0};
}

bool HasPlaceholder(std::string_view text) {
    NoticeFacts none;
    for (size_t i = text.find('{'); i != std::string_view::npos; i = text.find('{', i + 1)) {
        if (PlaceholderAt(text, i, none).first) return true;
    }
    return false;
}

}  // namespace

std::string FillPlaceholders(std::string_view text, const NoticeFacts& facts) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (IsGbkLeadByte(text[i]) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        auto [value, length] = text[i] == '{' ? PlaceholderAt(text, i, facts)
                                              : std::pair<const std::string*, size_t>{};
        if (value) {
            out += *value;
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string FillProgramParameters(std::string_view parameters, const NoticeFacts& facts) {
    if (!HasPlaceholder(parameters)) return std::string(parameters);
    // Split as the shell will, on UTF-8: a GBK trail byte can be a backslash.
    std::vector<std::string> args =
        SplitCommandLine(ToUtf8(GbkText::FromBytes(std::string(parameters))));
    for (auto& arg : args)
        arg = ToUtf8(GbkText::FromBytes(FillPlaceholders(ToGbk(arg).bytes(), facts)));
    return ToGbk(JoinCommandLine(args)).bytes();
}

std::string EncodeNoticeFacts(const NoticeFacts& f) {
    return EncodeTaggedFields(kTag, {f.found, f.name, f.url, f.time, f.slot, f.previous, f.id});
}

// A line of fewer fields comes from a program that knew no {previous} (five) or no notice id
// (six): they are then empty.
std::optional<NoticeFacts> DecodeNoticeFacts(std::string_view text) {
    auto f = DecodeTaggedFields(text, kTag, 7);
    if (!f) f = DecodeTaggedFields(text, kTag, 6);
    if (!f) f = DecodeTaggedFields(text, kTag, 5);
    if (!f) return std::nullopt;
    f->resize(7);
    return NoticeFacts{(*f)[0], (*f)[1], (*f)[2], (*f)[3], (*f)[4], (*f)[5], (*f)[6]};
}

}  // namespace nuvaro
