#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "core/file_lock.h"
#include "core/ini_file.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::TempExeDir;
namespace fs = std::filesystem;

TEST(IniFile, AWriterThatCannotHaveTheLockFailsWithTheUsualMessageAndChangesNothing) {
    TempExeDir dir;
    IniFile ini(dir.File("Config.inf"));
    ini.WriteString("1", "url", "old");
    FileLock other(dir.File(".Config.inf.lock"));  // another writer in its cycle
    ASSERT_TRUE(other.Held());
    const auto start = std::chrono::steady_clock::now();
    try {
        ini.WriteString("1", "url", "new");
        ADD_FAILURE() << "write accepted";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.File("Config.inf"));
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, kLockWait);  // it did wait
    EXPECT_EQ(ini.ReadString("1", "url"), "old");
}

struct TemporaryCase {
    const char* name;
    bool old;
    bool removed;
};

class StaleTemporaries : public ::testing::TestWithParam<TemporaryCase> {};

TEST_P(StaleTemporaries, OnlyOldCopiesWithTheWritersExactNameGo) {
    TempExeDir dir;
    dir.Write("Config.inf", "[1]\r\n");
    dir.Write(GetParam().name, "[1]\r\nurl=half");
    if (GetParam().old) {
        fs::last_write_time(dir.File(GetParam().name),
                            fs::file_time_type::clock::now() - std::chrono::seconds(90));
    }
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("Config.inf")), GetParam().removed ? 1 : 0);
    EXPECT_EQ(dir.Exists(GetParam().name), !GetParam().removed);
    EXPECT_TRUE(dir.Exists("Config.inf"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, StaleTemporaries,
    ::testing::Values(TemporaryCase{".Config.inf.a1B2c3", true, true},
                      TemporaryCase{".config.INF.XXXXXX", true, true},    // the name in any case
                      TemporaryCase{".Config.inf.a1B2c3", false, false},  // a write under way
                      TemporaryCase{".Config.inf.lock", true, false},
                      TemporaryCase{".Config.inf.a1B2c", true, false},
                      TemporaryCase{".Config.inf.a1B2c3d", true, false},
                      TemporaryCase{".Config.inf.a1-2c3", true, false},
                      TemporaryCase{"Config.inf.a1B2c3", true, false},
                      TemporaryCase{".email.inf.a1B2c3", true, false},
                      TemporaryCase{".Config.infXa1B2c3", true, false}));

TEST(StaleTemporaries, AreLookedForBesideTheFileALinkLeadsTo) {
    TempExeDir dir;
    fs::create_directories(dir.File("real"));
    dir.Write("real/Config.inf", "[1]\r\n");
    fs::create_symlink(dir.File("real/Config.inf"), dir.File("Config.inf"));
    dir.Write("real/.Config.inf.Ab12Cd", "x");
    fs::last_write_time(dir.File("real/.Config.inf.Ab12Cd"),
                        fs::file_time_type::clock::now() - std::chrono::minutes(5));
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("Config.inf")), 1);
    EXPECT_FALSE(dir.Exists("real/.Config.inf.Ab12Cd"));
}

}  // namespace
}  // namespace nuvaro
