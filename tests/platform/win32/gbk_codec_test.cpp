// Code page 936 through the Windows converters: the same bytes as the Linux build's.

#include <gtest/gtest.h>

#include "core/gbk.h"

namespace nuvaro {
namespace {

struct GbkCase {
    const char* utf8;
    const char* gbk;
};

class WindowsGbk : public ::testing::TestWithParam<GbkCase> {};

TEST_P(WindowsGbk, EncodesAndDecodesAsCodePage936) {
    EXPECT_EQ(ToGbk(GetParam().utf8).bytes(), GetParam().gbk);
    EXPECT_EQ(ToUtf8(GbkText::FromBytes(GetParam().gbk)), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, WindowsGbk,
                         ::testing::Values(GbkCase{"plain", "plain"},
                                           GbkCase{"到货了", "\xB5\xBD\xBB\xF5\xC1\xCB"},
                                           GbkCase{"€", "\x80"},  // code page 936, not GB2312
                                           GbkCase{"東", "\x96\x7C"},
                                           GbkCase{"价格：12元",
                                                   "\xBC\xDB\xB8\xF1\xA3\xBA"
                                                   "12\xD4\xAA"}));

TEST(WindowsGbkLenient, BadBytesBecomeQuestionMarksAndTheRestSurvives) {
    EXPECT_EQ(ToUtf8(GbkText::FromBytes("a\xFF"
                                        "b")),
              "a?b");
    EXPECT_EQ(ToUtf8(GbkText::FromBytes("\xB5\xBD\xB5")), "到?");  // cut short at the end
    EXPECT_EQ(ToUtf8(GbkText::FromBytes("\x81\x20x")), "? x");
    EXPECT_EQ(ToGbk("a\xC3"
                    "b")
                  .bytes(),
              "a?b");                                     // not UTF-8
    EXPECT_EQ(ToGbk("\xF0\x9F\x98\x80!").bytes(), "?!");  // beyond what GBK holds
    EXPECT_EQ(ToGbk("é").bytes(), "\xA8\xA6");
}

}  // namespace
}  // namespace nuvaro
