// GBK codec. Input: any bytes, taken as GBK and as UTF-8.

#include "core/gbk.h"

#include "fuzz/fuzz_support.h"

using namespace nuvaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Decoding is lenient: always UTF-8, never empty for a non-empty input.
    std::string utf8 = ToUtf8(GbkText::FromBytes(std::string(bytes)));
    FUZZ_CHECK(IsWellFormedUtf8(utf8));
    FUZZ_CHECK(utf8.empty() == bytes.empty());

    // What the encoder gives is GBK that comes back unchanged through UTF-8.
    std::string gbk = ToGbk(bytes).bytes();
    FUZZ_CHECK(gbk.empty() == bytes.empty());
    FUZZ_CHECK(ToGbk(ToUtf8(GbkText::FromBytes(gbk))).bytes() == gbk);
    return 0;
}
