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

TEST_P(StaleTemporaries, OnlyOldCopiesWithTheWritersOwnNameGo) {
    TempExeDir dir;
    dir.Write("Config.inf", "[1]\r\n");
    dir.Write(GetParam().name, "[1]\r\nurl=half");
    if (GetParam().old) {
        fs::last_write_time(dir.File(GetParam().name),
                            fs::file_time_type::clock::now() - std::chrono::seconds(90));
    }
    EXPECT_EQ(RemoveStaleTemporaries(dir.path()), GetParam().removed ? 1 : 0);
    EXPECT_EQ(dir.Exists(GetParam().name), !GetParam().removed);
    EXPECT_TRUE(dir.Exists("Config.inf"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, StaleTemporaries,
    ::testing::Values(TemporaryCase{".Config.inf.a1B2c3.nuvaro-tmp", true, true},
                      TemporaryCase{".email.inf.XXXXXX.nuvaro-tmp", true, true},
                      TemporaryCase{".Config.inf.a1B2c3.nuvaro-tmp", false, false},  // under way
                      // What earlier versions named their copies, and look-alikes of the user's.
                      TemporaryCase{".Config.inf.a1B2c3", true, false},
                      TemporaryCase{".Config.inf.backup", true, false},
                      TemporaryCase{".email.inf.secret", true, false},
                      TemporaryCase{".Config.inf.lock", true, false},
                      TemporaryCase{".Config.inf.a1B2c.nuvaro-tmp", true, false},
                      TemporaryCase{".Config.inf.a1-2c3.nuvaro-tmp", true, false},
                      TemporaryCase{"Config.inf.a1B2c3.nuvaro-tmp", true, false},
                      TemporaryCase{"..a1B2c3.nuvaro-tmp", true, false},
                      TemporaryCase{".Config.inf.a1B2c3.nuvaro-tmp.txt", true, false},
                      TemporaryCase{".Config.inf.a1B2c3.NUVARO-TMP", true, false}));

// Links, folders and files elsewhere that carry the name are never removed, nor what a link
// leads to, nor copies beside the file that a settings link points to.
TEST(StaleTemporaries, OnlyRegularFilesInTheFolderItselfGo) {
    TempExeDir dir;
    auto age = [&](const std::string& name) {
        fs::last_write_time(dir.File(name),
                            fs::file_time_type::clock::now() - std::chrono::minutes(5));
    };
    fs::create_directories(dir.File("real"));
    dir.Write("real/Config.inf", "[1]\r\n");
    fs::create_symlink(dir.File("real/Config.inf"), dir.File("Config.inf"));
    dir.Write("real/.Config.inf.Ab12Cd.nuvaro-tmp", "x");
    age("real/.Config.inf.Ab12Cd.nuvaro-tmp");
    dir.Write("keep.txt", "the user's");
    age("keep.txt");
    fs::create_symlink(dir.File("keep.txt"), dir.File(".email.inf.Ab12Cd.nuvaro-tmp"));
    fs::create_directories(dir.File(".sms.inf.Ab12Cd.nuvaro-tmp"));
    dir.Write(".sms.inf.Ab12Cd.nuvaro-tmp/inside", "x");
    age(".sms.inf.Ab12Cd.nuvaro-tmp");
    dir.Write(".Config.inf.Zz99zz.nuvaro-tmp", "x");
    age(".Config.inf.Zz99zz.nuvaro-tmp");

    EXPECT_EQ(RemoveStaleTemporaries(dir.path()), 1);
    EXPECT_FALSE(dir.Exists(".Config.inf.Zz99zz.nuvaro-tmp"));
    EXPECT_TRUE(dir.Exists("real/.Config.inf.Ab12Cd.nuvaro-tmp"));
    EXPECT_TRUE(fs::is_symlink(dir.File(".email.inf.Ab12Cd.nuvaro-tmp")));
    EXPECT_EQ(dir.Read("keep.txt"), "the user's");
    EXPECT_TRUE(dir.Exists(".sms.inf.Ab12Cd.nuvaro-tmp/inside"));
    // A folder reached through a link is not cleaned either.
    fs::create_symlink(dir.File("real"), dir.File("linked"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("linked")), 0);
    EXPECT_TRUE(dir.Exists("real/.Config.inf.Ab12Cd.nuvaro-tmp"));
}

}  // namespace
}  // namespace nuvaro
