#include "core/gbk.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>

namespace nuvaro {
namespace {

struct PrefixCase {
    const char* name;
    std::string text;
    size_t max;
    std::string prefix;
};

class GbkPrefixOf : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(GbkPrefixOf, CutsWithinTheBoundAndNeverSplitsACharacter) {
    EXPECT_EQ(GbkPrefix(GetParam().text, GetParam().max), GetParam().prefix);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkPrefixOf,
    ::testing::Values(PrefixCase{"ShortStays", "abc", 5, "abc"},
                      PrefixCase{"ExactStays", "abc", 3, "abc"},
                      PrefixCase{"AsciiCut", "abcdef", 4, "abcd"},
                      PrefixCase{"WholeCharacter", ToGbk("价格").bytes(), 2, ToGbk("价").bytes()},
                      PrefixCase{"HalfCharacterLeftOut", "a" + ToGbk("价格").bytes(), 2, "a"},
                      PrefixCase{"TrailByteLikeAscii", ToGbk("東|").bytes(), 1, ""},
                      PrefixCase{"LoneLeadByteAtTheEnd", "ab\x81", 2, "ab"},
                      PrefixCase{"ZeroBound", "abc", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Gbk, ChineseRoundTripsThroughGbkBytes) {
    std::string gbk = ToGbk("价格128元").bytes();
    EXPECT_EQ(gbk,
              "\xBC\xDB\xB8\xF1"
              "128"
              "\xD4\xAA");
    EXPECT_EQ(ToUtf8(GbkText::FromBytes(gbk)), "价格128元");
}

TEST(Gbk, CodePage936EuroSignIsByte80) {
    EXPECT_EQ(ToGbk("€").bytes(), "\x80");
    EXPECT_EQ(ToUtf8(GbkText::FromBytes("\x80")), "€");
}

TEST(Gbk, CharactersGbkCannotHoldBecomeOneQuestionMarkEach) {
    EXPECT_EQ(ToGbk("a😀b😀").bytes(), "a?b?");
}

TEST(Gbk, InvalidUtf8BytesBecomeQuestionMarks) {
    EXPECT_EQ(ToGbk("a\xFF"
                    "b\xE4\xBB")
                  .bytes(),
              "a?b?");
}

TEST(Gbk, OneBadByteDoesNotEmptyTheText) {
    std::string gbk = ToGbk("前").bytes() + "\xFF" + ToGbk("后").bytes();
    EXPECT_EQ(ToUtf8(GbkText::FromBytes(gbk)), "前?后");
    // A lead byte cut off at the end.
    EXPECT_EQ(ToUtf8(GbkText::FromBytes(ToGbk("尾").bytes() + "\xB8")), "尾?");
}

TEST(Gbk, LargeTextsConvertWhole) {
    std::string utf8;
    for (int i = 0; i < 20000; ++i) utf8 += "<p>价格</p>";
    EXPECT_EQ(ToUtf8(GbkText::FromBytes(ToGbk(utf8).bytes())), utf8);
}

}  // namespace
}  // namespace nuvaro

namespace nuvaro {
namespace {

// The table encoder must agree with iconv, replacements included.
std::string IconvGbk(std::string_view utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out;
    char* src = const_cast<char*>(utf8.data());
    size_t left = utf8.size();
    while (left > 0) {
        char buffer[64];
        char* dst = buffer;
        size_t room = sizeof buffer;
        size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, dst - buffer);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out.push_back('?');
            auto c = static_cast<unsigned char>(*src);
            size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 1;
            bool valid = n > 1 && left >= n;
            for (size_t i = 1; valid && i < n; ++i)
                valid = (static_cast<unsigned char>(src[i]) & 0xC0) == 0x80;
            size_t skip = errno == EINVAL ? left : valid ? n : 1;
            src += skip;
            left -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

TEST(Gbk, EveryBmpCharacterEncodesAsIconvDoes) {
    std::string all;
    for (uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        if (cp < 0x800) {
            all += static_cast<char>(0xC0 | (cp >> 6));
        } else {
            all += static_cast<char>(0xE0 | (cp >> 12));
            all += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        all += static_cast<char>(0x80 | (cp & 0x3F));
    }
    EXPECT_EQ(ToGbk(all).bytes(), IconvGbk(all));
}

TEST(Gbk, MalformedInputIsReplacedAsIconvDoes) {
    std::mt19937 random(42);
    const unsigned char pieces[] = {0x41, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xE0, 0xE4, 0xED,
                                    0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x8F, 0xB8};
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        int length = static_cast<int>(random() % 12) + 1;
        for (int i = 0; i < length; ++i) s += static_cast<char>(pieces[random() % sizeof pieces]);
        ASSERT_EQ(ToGbk(s).bytes(), IconvGbk(s)) << ::testing::PrintToString(s);
    }
}

TEST(Gbk, WellFormedUtf8RefusesOverlongFormsSurrogatesAndCutSequences) {
    EXPECT_TRUE(IsWellFormedUtf8(""));
    EXPECT_TRUE(IsWellFormedUtf8("abc \xE4\xBB\xB7\xF0\x9F\x98\x80"));
    for (const char* bad : {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\xE4\xBB", "\x80", "\xFF"}) {
        EXPECT_FALSE(IsWellFormedUtf8(bad)) << ::testing::PrintToString(std::string(bad));
    }
}

}  // namespace
}  // namespace nuvaro
