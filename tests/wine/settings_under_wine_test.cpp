// Settings files written by the Windows build read back by this one, byte for byte the same as
// its own: GBK, CR LF, sections and keys in order of first writing.

#include <gtest/gtest.h>

#include "config/tconfig.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "support/store_values.h"
#include "support/temp_dir.h"
#include "wine/wine_run.h"

namespace nuvaro {
namespace {

struct WriterCase {
    std::vector<std::string> args;  // after the file
};

class SettingsAcrossBuilds : public ::testing::TestWithParam<WriterCase> {};

TEST_P(SettingsAcrossBuilds, TheWindowsBuildWritesTheBytesThisOneWrites) {
    if (testing::WindowsBin().empty()) GTEST_SKIP() << "NUVARO_WINDOWS_BIN is not set";
    testing::TempExeDir dir;
    testing::CopyWindowsFiles(dir.path(), {"nuvaro_store_writer.exe"});
    const std::string mode = GetParam().args[0];
    std::vector<std::string> args{mode, "Z:" + dir.File("windows.inf")};
    args.insert(args.end(), GetParam().args.begin() + 1, GetParam().args.end());
    testing::WineRun run = testing::RunWine(dir.path(), "nuvaro_store_writer.exe", args);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::string command =
        std::string(NUVARO_LINUX_STORE_WRITER) + " " + mode + " " + dir.File("linux.inf");
    for (size_t i = 1; i < GetParam().args.size(); ++i) command += " " + GetParam().args[i];
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::string windows = dir.Read("windows.inf"), ours = dir.Read("linux.inf");
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows, ours);
    EXPECT_NE(windows.find("\r\n"), std::string::npos);
    EXPECT_EQ(windows.find("\n"), windows.find("\r\n") + 1);
}

INSTANTIATE_TEST_SUITE_P(Writes, SettingsAcrossBuilds,
                         ::testing::Values(WriterCase{{"once", "win"}},
                                           WriterCase{{"keys", "k", "12"}}));

TEST(SettingsAcrossBuildsReadBack, WholeSlotsOfTheWindowsBuildReadBackHere) {
    if (testing::WindowsBin().empty()) GTEST_SKIP() << "NUVARO_WINDOWS_BIN is not set";
    testing::TempExeDir dir;
    testing::CopyWindowsFiles(dir.path(), {"nuvaro_store_writer.exe"});
    testing::WineRun run = testing::RunWine(dir.path(), "nuvaro_store_writer.exe",
                                            {"once", "Z:" + dir.File("Config.inf"), "w"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(testing::WholeSlotTag(dir.File("Config.inf"), 1), "w");
    EXPECT_EQ(testing::WholeSlotTag(dir.File("Config.inf"), 3), "w");
    EXPECT_EQ(TConfig(2, dir.File("Config.inf")).WindowName, "价格 2");
}

}  // namespace
}  // namespace nuvaro
