#include "notify/notice_facts.h"

#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/gbk.h"
#include "notify/account_text.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GbkBytes;
using testing::GT;

const NoticeFacts kFacts{GbkBytes("F"), GbkBytes("N"), GbkBytes("U"), "T",
                         "S",           GbkBytes("P"), "I",           GbkBytes("V")};

struct FillCase {
    const char* name;
    std::string text, filled;
};

class FillPlaceholdersTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillPlaceholdersTest, ReplacesEachPlaceholderOnceAndNothingElse) {
    EXPECT_EQ(FillPlaceholders(GbkBytes(GetParam().text), kFacts).bytes(), GetParam().filled);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FillPlaceholdersTest,
    ::testing::Values(
        FillCase{"NoPlaceholder", "price {x} { found} {FOUND}", "price {x} { found} {FOUND}"},
        FillCase{"Empty", "", ""},
        FillCase{"All", "{found}{name}{url}{time}{slot}{previous}{value}", "FNUTSPV"},
        FillCase{"OldToNew", G("价格从{previous}变为{found}"), G("价格从") + "P" + G("变为") + "F"},
        FillCase{"Repeated", "{found}-{found}", "F-F"},
        FillCase{"InsideBraces", "{{found}}", "{F}"}, FillCase{"Unclosed", "{found", "{found"},
        FillCase{"BetweenChinese", G("发现{found}了"), G("发现") + "F" + G("了")},
        // 0x81 0x7B is one GBK character whose second byte reads as "{".
        FillCase{"BraceAsSecondByte", "\x81{found}", "\x81{found}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillPlaceholders, AFactThatHoldsAPlaceholderStaysAsItIs) {
    NoticeFacts facts{GbkBytes("{name}|{slot}"), GbkBytes("N"), {}, "", "3", GbkBytes("{found}")};
    EXPECT_EQ(FillPlaceholders(GbkBytes("{found}/{name}/{previous}"), facts).bytes(),
              "{name}|{slot}/N/{found}");
}

TEST(NoticeFactsText, CarriesAnyFoundTextWholeAndIsToldApartFromOtherTexts) {
    NoticeFacts facts{GbkBytes(G("到货|现货%20\r\n") + std::string(10000, 'x')),
                      GbkBytes(G("商店|1")),
                      GbkBytes("http://a/?b=1|2"),
                      "2026-1-2 3:04:05",
                      "12",
                      GbkBytes(G("缺货|\r\n")),
                      "1796000000.00ff"};
    std::string line = EncodeNoticeFacts(facts);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 12);
    auto back = DecodeNoticeFacts(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->found, facts.found);
    EXPECT_EQ(back->name, facts.name);
    EXPECT_EQ(back->url, facts.url);
    EXPECT_EQ(back->time, facts.time);
    EXPECT_EQ(back->slot, facts.slot);
    EXPECT_EQ(back->previous, facts.previous);
    EXPECT_EQ(back->id, facts.id);
    EXPECT_EQ(back->value, "");
    facts.value = GbkBytes(G("1,299元"));  // a rule's number travels as an eighth field
    back = DecodeNoticeFacts(EncodeNoticeFacts(facts));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->value, facts.value);
    EXPECT_EQ(back->id, facts.id);
    EXPECT_FALSE(DecodeNoticeFacts(""));
    EXPECT_FALSE(DecodeNoticeFacts(EncodeMailAccount({"a", "b", "c", "d"})));
    EXPECT_FALSE(DecodeNoticeFacts("notice|a|b"));
}

TEST(NoticeFactsText, ALineOfFiveFactsHasNoPreviousTextAndOfSixNoNoticeId) {
    auto back = DecodeNoticeFacts("notice|F|N|U|T|S");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->slot, "S");
    EXPECT_EQ(back->previous.bytes(), "");
    back = DecodeNoticeFacts("notice|F|N|U|T|S|P");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->previous.bytes(), "P");
    EXPECT_EQ(back->id, "");
}

TEST(NoticeFactsText, ANoticeOfItsOwnKindAndAFoldedCountTravelWithTheFacts) {
    NoticeFacts facts{GT("128"),
                      GT("n"),
                      GT("u"),
                      "t",
                      "3",
                      GT("99"),
                      "id1",
                      {},
                      kNoticeFailing,
                      GT("监控异常：显卡"),
                      GT("原因|\r\n"),
                      0};
    auto back = DecodeNoticeFacts(EncodeNoticeFacts(facts));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, kNoticeFailing);
    EXPECT_EQ(back->subject, facts.subject);
    EXPECT_EQ(back->message, facts.message);
    NoticeTexts own = FillNoticeFacts({GT("{name}"), GT("{found}"), GT("{found}")}, facts);
    EXPECT_EQ(own.subject, GT("监控异常：显卡"));
    EXPECT_EQ(own.body, facts.message);
    EXPECT_EQ(own.sms, facts.message);

    NoticeFacts change{GT("128"), GT("n"), GT("u"), "t", "3", GT("99"), "id2"};
    change.folded = 1439;
    back = DecodeNoticeFacts(EncodeNoticeFacts(change));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->folded, 1439);
    NoticeTexts folded =
        FillNoticeFacts({GT("{name}：变化"), GT("价格 {found}"), GT("{found}")}, change);
    EXPECT_EQ(folded.subject, GT("n：变化"));
    EXPECT_EQ(folded.body, GT("期间共有 1439 次变化，最新：价格 128"));
    EXPECT_EQ(folded.sms, GT("期间共有 1439 次变化，最新：128"));
    change.folded = 1;
    EXPECT_EQ(FillNoticeFacts({GT(""), GT("{found}"), GT("")}, change).body, GT("128"));
}

struct ProgramCase {
    const char* name;
    std::string parameters, found;
    std::vector<std::string> args;  // UTF-8
};

class FillProgramParametersTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(FillProgramParametersTest, APlaceholderIsFilledInsideItsOwnArgument) {
    NoticeFacts facts{
        ToGbk(GetParam().found), ToGbk("商店"), ToGbk("http://x/?a=1&b=2"), "T", "7", {}};
    GbkText filled = FillProgramParameters(ToGbk(GetParam().parameters), facts);
    EXPECT_EQ(SplitCommandLine(ToUtf8(filled)), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, FillProgramParametersTest,
    ::testing::Values(
        ProgramCase{"BlanksStayInOneArgument",
                    "--found {found} -n {name}",
                    "显卡 到货 了",
                    {"--found", "显卡 到货 了", "-n", "商店"}},
        ProgramCase{"QuotesAndBackslashes", "{found}", R"(a "b" c:\dir\)", {R"(a "b" c:\dir\)"}},
        ProgramCase{"InsideAQuotedArgument",
                    "\"--at={name} {slot}\" {url}",
                    "",
                    {"--at=商店 7", "http://x/?a=1&b=2"}},
        ProgramCase{"EmptyFoundStaysAnArgument", "a {found} b", "", {"a", "", "b"}},
        ProgramCase{"ShellCharactersAreJustText",
                    "{found}",
                    "$(id); rm -rf / | `x` > y",
                    {"$(id); rm -rf / | `x` > y"}},
        ProgramCase{"LineBreaksStayInside", "{found}", "a\r\nb|c", {"a\r\nb|c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillProgramParameters, AStringWithoutPlaceholdersIsHandedOverUnchanged) {
    for (const std::string& parameters :
         std::vector<std::string>{"-a \"b c\"", "  odd \"quoting\\\" x", G("中文 \"参数\""), ""}) {
        EXPECT_EQ(FillProgramParameters(GbkBytes(parameters), kFacts).bytes(), parameters);
    }
}

}  // namespace
}  // namespace nuvaro
