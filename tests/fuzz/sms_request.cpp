// SMS gateway settings and request templates. Input: sms.inf's text, NUL, mobile number, NUL,
// country code, NUL, the notice text (GBK).

#include "notify/sms_request.h"

#include <algorithm>

#include "core/gbk.h"
#include "core/ini_file.h"
#include "fuzz/fuzz_support.h"

using namespace nuvaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = fuzz::Parts(data, size, 4);
    SmsGateway gateway = ReadSmsGateway(IniDocument::Parse(parts[0]));
    SmsRequest request = BuildSmsRequest(gateway, gateway.identity, parts[1], parts[2], parts[3]);

    // No placeholder value may start a header or a line of the request of its own.
    for (const std::string& header : request.headers) FUZZ_CHECK(!fuzz::HasLineBreak(header));
    auto lineBreaks = [](std::string_view s) { return std::count(s.begin(), s.end(), '\n'); };
    FUZZ_CHECK(lineBreaks(request.url) == lineBreaks(gateway.url));
    FUZZ_CHECK(request.method == "POST" || request.body.empty());

    std::string number = InternationalNumber(parts[1], parts[2]);
    // Walked by the characters of its charset, an escaped text never ends its JSON string.
    for (TextCharset charset : {TextCharset::Utf8, TextCharset::Gbk}) {
        std::string json = JsonEscape(parts[3], charset);
        for (size_t i = 0; i < json.size();) {
            size_t length =
                charset == TextCharset::Gbk ? GbkCharLength(json, i) : Utf8CharLength(json, i);
            FUZZ_CHECK(length > 1 || static_cast<unsigned char>(json[i]) >= 0x20);
            FUZZ_CHECK(length > 1 || json[i] != '"');
            if (length == 1 && json[i] == '\\') {
                FUZZ_CHECK(i + 1 < json.size());
                FUZZ_CHECK(std::string_view("\"\\nrtu").find(json[i + 1]) !=
                           std::string_view::npos);
                length = 2;
            }
            i += length;
        }
        for (char c : UrlEncode(parts[3], charset)) {
            FUZZ_CHECK(c != '&' && c != '=' && c != '+' && c != ' ');
        }
    }
    return 0;
}
