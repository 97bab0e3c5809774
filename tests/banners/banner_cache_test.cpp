#include "banners/banner_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/atomic_file.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::TempExeDir;

// As the endpoint sends it: UTF-8 texts with blanks around them, a link with Chinese in it.
Announcement Fetched() {
    Announcement a;
    a.AD1 = " \t新版发布 \r\n";
    a.AD2 = " 欢迎使用 ";
    a.AD3 = "\t限时优惠 ";
    a.Regurl = "http://example.com/reg";
    a.Ver = "2.1";
    a.ADurl1 = "http://example.com/新闻";
    a.ADurl2 = "";
    a.ADurl3 = "example.com/3";
    a.OutUrl = "http://example.com/out||x";
    return a;
}

TEST(BannerCache, WritesSectionAdInKeyOrderInGbkWithCrLf) {
    TempExeDir dir;
    WriteAnnouncementCache(dir.File("config.ini"), Fetched());
    EXPECT_EQ(dir.Read("config.ini"),
              "[AD]\r\n"
              "AD1=" +
                  G("新版发布") +
                  "\r\n"
                  "AD2=" +
                  G(" 欢迎使用 ") +
                  "\r\n"
                  "AD3=" +
                  G("\t限时优惠 ") +
                  "\r\n"
                  "Regurl=http://example.com/reg\r\n"
                  "Ver=2.1\r\n"
                  "ADurl1=http://example.com/新闻\r\n"  // links stay as received (UTF-8)
                  "ADurl2=\r\n"
                  "ADurl3=example.com/3\r\n"
                  "OutUrl=http://example.com/out||x\r\n");
}

TEST(BannerCache, KeepsTheOtherSectionsAndReplacesAnEarlierCacheInPlace) {
    TempExeDir dir;
    dir.Write("config.ini", "[Server]\r\nAdUrl=http://127.0.0.1:1/api/ad.php\r\n[AD]\r\nVer=1\r\n");
    WriteAnnouncementCache(dir.File("config.ini"), Fetched());
    Announcement second = Fetched();
    second.Ver = "3";
    WriteAnnouncementCache(dir.File("config.ini"), second);
    std::string file = dir.Read("config.ini");
    EXPECT_EQ(file.rfind("[Server]\r\nAdUrl=http://127.0.0.1:1/api/ad.php\r\n[AD]\r\nVer=3\r\n"
                         "AD1=",
                         0),
              0u);
    EXPECT_EQ(file.find("Ver=", file.find("Ver=3") + 1), std::string::npos);
    EXPECT_EQ(ReadAnnouncementEndpoint(dir.File("config.ini")), "http://127.0.0.1:1/api/ad.php");
}

TEST(BannerCache, ReadsBackWhatWasWrittenAndMissingKeysAsEmpty) {
    TempExeDir dir;
    EXPECT_EQ(ReadAnnouncementCache(dir.File("config.ini")), std::nullopt);
    dir.Write("config.ini", "[Server]\r\nAdUrl=http://h/api/ad.php\r\n");
    EXPECT_EQ(ReadAnnouncementCache(dir.File("config.ini")), std::nullopt);

    WriteAnnouncementCache(dir.File("config.ini"), Fetched());
    auto cached = ReadAnnouncementCache(dir.File("config.ini"));
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->AD1, "新版发布");
    EXPECT_EQ(cached->AD2, "欢迎使用");  // stored with its blanks, read without them
    EXPECT_EQ(cached->AD3, "限时优惠");
    EXPECT_EQ(cached->ADurl1, "http://example.com/新闻");
    EXPECT_EQ(cached->OutUrl, "http://example.com/out||x");

    dir.Write("config.ini", "[ad]\r\nad2=" + G("只有二") + "\r\n");
    cached = ReadAnnouncementCache(dir.File("config.ini"));
    ASSERT_TRUE(cached);
    Announcement expected;
    expected.AD2 = "只有二";
    EXPECT_EQ(*cached, expected);
}

TEST(BannerCache, FetchedBannerTextsAreAsGbkKeepsThemWithOnlyBannerThreeTrimmed) {
    BannerTexts texts = FetchedBannerTexts(Fetched());
    EXPECT_EQ(texts.banner1, " \t新版发布 \r\n");
    EXPECT_EQ(texts.banner2, " 欢迎使用 ");
    EXPECT_EQ(texts.banner3, "限时优惠");
    Announcement bad;
    bad.AD2 = "😀";  // GBK has no emoji
    bad.AD1 =
        "\xFF"
        "ok";  // not UTF-8: one '?' and the rest survives
    EXPECT_EQ(FetchedBannerTexts(bad).banner1, "?ok");
    EXPECT_EQ(FetchedBannerTexts(bad).banner2, "?");
}

TEST(BannerCache, EndpointIsEmptyWhenNotConfigured) {
    TempExeDir dir;
    EXPECT_EQ(ReadAnnouncementEndpoint(dir.File("config.ini")), "");
    dir.Write("config.ini", "[Server]\r\nAdUrl=  \r\n");
    EXPECT_EQ(ReadAnnouncementEndpoint(dir.File("config.ini")), "");
    dir.Write("config.ini", "[server]\r\nadurl= http://h/api/ad.php \r\n");
    EXPECT_EQ(ReadAnnouncementEndpoint(dir.File("config.ini")), "http://h/api/ad.php");
}

TEST(BannerCache, RefusedWriteLeavesTheFileAsItWas) {
    TempExeDir dir;
    dir.Write("config.ini", "[AD]\r\nAD1=old\r\n");
    chmod(dir.File("config.ini").c_str(), 0444);
    EXPECT_THROW(WriteAnnouncementCache(dir.File("config.ini"), Fetched()), FileWriteError);
    EXPECT_EQ(dir.Read("config.ini"), "[AD]\r\nAD1=old\r\n");
}

}  // namespace
}  // namespace nuvaro
