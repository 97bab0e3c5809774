#include "core/gbk_codec.h"

#include <windows.h>

#include "core/gbk.h"
#include "platform/win32/wide.h"

namespace nuvaro::codec {
namespace {

constexpr UINT kGbk = 936;

// One character (one or two UTF-16 units) in GBK, or "?" when GBK has no such character.
std::string EncodeOne(std::wstring_view wide) {
    char out[8];
    BOOL usedDefault = FALSE;
    int n =
        WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            out, sizeof out, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return "?";
    return std::string(out, static_cast<size_t>(n));
}

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// The characters of `gbk` as UTF-16, or nothing when a byte does not decode.
bool DecodeStrict(std::string_view gbk, std::wstring& out) {
    int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(),
                                static_cast<int>(gbk.size()), nullptr, 0);
    if (n <= 0) return false;
    out.assign(static_cast<size_t>(n), L'\0');
    return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                               out.data(), n) == n;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        if (*p < 0x80) {
            out.push_back(static_cast<char>(*p++));
            continue;
        }
        size_t n = WellFormedUtf8Length(p, end);
        if (n == 0) {
            out.push_back('?');
            ++p;
            continue;
        }
        out += EncodeOne(win32::Wide(std::string_view(reinterpret_cast<const char*>(p), n)));
        p += n;
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::wstring wide;
    if (DecodeStrict(gbk, wide)) return win32::Utf8(wide);
    // Character by character: a byte that does not decode becomes '?', and decoding goes on
    // with the byte after it.
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    for (size_t i = 0; i < gbk.size();) {
        auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        size_t n =
            IsLead(c) && i + 1 < gbk.size() && IsTrail(static_cast<unsigned char>(gbk[i + 1])) ? 2
                                                                                               : 1;
        if (DecodeStrict(gbk.substr(i, n), wide)) {
            out += win32::Utf8(wide);
            i += n;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

}  // namespace nuvaro::codec
