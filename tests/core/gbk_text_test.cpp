#include "core/gbk_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <type_traits>

namespace nuvaro {
namespace {

// GBK bytes and UTF-8 text never turn into each other without a conversion.
static_assert(!std::is_convertible_v<std::string, GbkText>);
static_assert(!std::is_convertible_v<std::string_view, GbkText>);
static_assert(!std::is_convertible_v<const char*, GbkText>);
static_assert(!std::is_convertible_v<GbkText, std::string>);
static_assert(!std::is_convertible_v<GbkText, std::string_view>);
static_assert(!std::is_constructible_v<GbkText, std::string>);
static_assert(!std::is_constructible_v<std::string, GbkText>);

TEST(GbkText, HoldsItsBytesAsGiven) {
    const GbkText text = GbkText::FromBytes("\xBC\xDB\xFF\x81");
    EXPECT_EQ(text.bytes(), "\xBC\xDB\xFF\x81");
    EXPECT_EQ(text.view(), "\xBC\xDB\xFF\x81");
    EXPECT_EQ(text.size(), 4u);
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(GbkText().empty());
    EXPECT_EQ(GbkText::FromBytes("a") + GbkText::FromBytes("b"), GbkText::FromBytes("ab"));
    EXPECT_NE(GbkText::FromBytes("a"), GbkText::FromBytes("A"));
}

TEST(GbkText, ValidGbkRoundTripsByteForByteEuroSignIncluded) {
    const std::string bytes =
        "\x80"
        "\xBC\xDB\xB8\xF1"
        "128"
        "\xD4\xAA\x96|\r\n";
    const GbkText gbk = GbkText::FromBytes(bytes);
    EXPECT_EQ(ToUtf8(gbk), "€价格128元東\r\n");  // 東 ends in the byte of "|"
    EXPECT_EQ(ToGbk(ToUtf8(gbk)), gbk);
}

TEST(GbkText, ConversionsAreLenientBothWays) {
    EXPECT_EQ(ToGbk("a😀b\xFF").bytes(), "a?b?");
    EXPECT_EQ(ToUtf8(GbkText::FromBytes("a\xFF"
                                        "b")),
              "a?b");
    EXPECT_EQ(GbkSafe("价😀"), "价?");
}

}  // namespace
}  // namespace nuvaro
