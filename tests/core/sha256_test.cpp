#include "core/sha256.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

struct DigestCase {
    const char* name;
    std::string data;
    const char* hex;
};

class Sha256 : public ::testing::TestWithParam<DigestCase> {};

TEST_P(Sha256, MatchesTheStandardDigest) { EXPECT_EQ(Sha256Hex(GetParam().data), GetParam().hex); }

// The published test vectors, and lengths on both sides of the last block's length field.
INSTANTIATE_TEST_SUITE_P(
    Vectors, Sha256,
    ::testing::Values(
        DigestCase{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        DigestCase{"Abc", "abc",
                   "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        DigestCase{"TwoBlocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                   "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        DigestCase{"A55", std::string(55, 'a'),
                   "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        DigestCase{"A56", std::string(56, 'a'),
                   "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        DigestCase{"A63", std::string(63, 'a'),
                   "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        DigestCase{"A64", std::string(64, 'a'),
                   "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        DigestCase{"A65", std::string(65, 'a'),
                   "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        DigestCase{"A120", std::string(120, 'a'),
                   "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        DigestCase{"MillionA", std::string(1000000, 'a'),
                   "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        DigestCase{"GbkBytes", testing::G("价格"),
                   "30d49a71355270e7ea28c593edeaef4cf2d4eb6c4dcaaedc14eb756bcc5aba54"}),
    [](const auto& info) { return std::string(info.param.name); });

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
    return out;
}

struct HmacCase {
    const char* name;
    std::string key;
    std::string data;
    const char* hex;
};

class HmacSha256Vectors : public ::testing::TestWithParam<HmacCase> {};

TEST_P(HmacSha256Vectors, MatchesTheStandardMac) {
    EXPECT_EQ(Hex(HmacSha256(GetParam().key, GetParam().data)), GetParam().hex);
}

// RFC 4231 test cases 1, 2, 3, 4, 6 and 7 (6 and 7: keys longer than a block).
INSTANTIATE_TEST_SUITE_P(
    Rfc4231, HmacSha256Vectors,
    ::testing::Values(
        HmacCase{"ShortKey", std::string(20, '\x0b'), "Hi There",
                 "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        HmacCase{"Jefe", "Jefe", "what do ya want for nothing?",
                 "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        HmacCase{"RepeatedBytes", std::string(20, '\xaa'), std::string(50, '\xdd'),
                 "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        HmacCase{"CountingKey",
                 "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10"
                 "\x11\x12\x13\x14\x15\x16\x17\x18\x19",
                 std::string(50, '\xcd'),
                 "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
        HmacCase{"LongKey", std::string(131, '\xaa'),
                 "Test Using Larger Than Block-Size Key - Hash Key First",
                 "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
        HmacCase{"LongKeyLongData", std::string(131, '\xaa'),
                 "This is a test using a larger than block-size key and a larger than block-size "
                 "data. The key needs to be hashed before being used by the HMAC algorithm.",
                 "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvaro
