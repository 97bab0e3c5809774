#include "notify/json_value.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

TEST(JsonValues, WriteEscapesTextAndKeepsMembersInOrder) {
    JsonValue v = JsonValue::Object({{"b", JsonValue::String("价\"格\\\n\x01")},
                                     {"a", JsonValue::Number(-5)},
                                     {"c", JsonValue::Object({{"d", JsonValue::Bool(true)}})}});
    EXPECT_EQ(v.Write(), "{\"b\":\"价\\\"格\\\\\\n\\u0001\",\"a\":-5,\"c\":{\"d\":true}}");
    EXPECT_EQ(JsonValue::String("a\xff"
                                "b")
                  .Write(),
              "\"a?b\"");
}

TEST(JsonValues, ParseReadsNestedDocumentsAndEscapes) {
    auto v = JsonValue::Parse(
        R"( {"errcode": 0, "errmsg":"ok \u4ef7\ud83d\ude00\/", "list":[1, 2.5e3, null, false],
            "nested":{"code":"200"}} )");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Find("errcode")->AsInteger(), 0);
    EXPECT_EQ(v->Find("errmsg")->AsText(), "ok 价😀/");
    EXPECT_EQ(v->Find("nested")->Find("code")->AsInteger(), 200);
    EXPECT_EQ(v->Find("missing"), nullptr);
    EXPECT_EQ(v->Find("list")->AsText(), "");
}

TEST(JsonValues, ParseRefusesWhatIsNoJson) {
    for (const char* bad : {"", "<html>", "{\"a\":}", "{\"a\":1,}", "[1 2]", "\"open",
                            "{\"a\":1} x", "{'a':1}", "\"tab\there\"", "-", "{\"a\":tru}"}) {
        EXPECT_FALSE(JsonValue::Parse(bad)) << bad;
    }
    EXPECT_FALSE(JsonValue::Parse(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_TRUE(JsonValue::Parse(std::string(60, '[') + std::string(60, ']')));
}

}  // namespace
}  // namespace nuvaro
