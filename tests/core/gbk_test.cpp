#include "core/gbk.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

TEST(Gbk, ChineseRoundTripsThroughGbkBytes) {
    std::string gbk = Utf8ToGbk("价格128元");
    EXPECT_EQ(gbk, "\xBC\xDB\xB8\xF1" "128" "\xD4\xAA");
    EXPECT_EQ(GbkToUtf8(gbk), "价格128元");
}

TEST(Gbk, CodePage936EuroSignIsByte80) {
    EXPECT_EQ(Utf8ToGbk("€"), "\x80");
    EXPECT_EQ(GbkToUtf8("\x80"), "€");
}

TEST(Gbk, CharactersGbkCannotHoldBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToGbk("a😀b😀"), "a?b?");
}

TEST(Gbk, InvalidUtf8BytesBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToGbk("a\xFF" "b\xE4\xBB"), "a?b?");
}

TEST(Gbk, OneBadByteDoesNotEmptyTheText) {
    std::string gbk = Utf8ToGbk("前") + "\xFF" + Utf8ToGbk("后");
    EXPECT_EQ(GbkToUtf8(gbk), "前?后");
    // A lead byte cut off at the end.
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("尾") + "\xB8"), "尾?");
}

TEST(Gbk, LargeTextsConvertWhole) {
    std::string utf8;
    for (int i = 0; i < 20000; ++i) utf8 += "<p>价格</p>";
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(utf8)), utf8);
}

}  // namespace
}  // namespace nuvaro
