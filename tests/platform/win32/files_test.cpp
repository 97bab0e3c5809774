// The Windows file layer: wide paths (Chinese folder names), atomic replacement, whole appends,
// locks and the clean-up of temporaries, on real files.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "config/tconfig.h"
#include "core/append_file.h"
#include "core/atomic_file.h"
#include "core/exe_dir.h"
#include "core/file_lock.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/system.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::TempExeDir;
namespace fs = std::filesystem;

fs::path Native(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadNative(const std::string& utf8) {
    std::ifstream in(Native(utf8), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Folder names the files are tried in: plain, Chinese, with blanks and both.
class WindowsFolders : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        m_folder = m_dir.path() + "/" + GetParam();
        ASSERT_TRUE(MakeFolder(m_folder));
        ASSERT_TRUE(fs::is_directory(Native(m_folder)));
    }
    std::string File(const char* name) const { return m_folder + "/" + name; }

    TempExeDir m_dir;
    std::string m_folder;
};

TEST_P(WindowsFolders, ReplacementWritesTheWholeContentAndLeavesNoTemporary) {
    const std::string file = File("Config.inf");
    ReplaceFileAtomically(file, "[1]\r\nurl=a\r\n");
    ReplaceFileAtomically(file, G("[1]\r\nWindowName=监控\r\n"));
    EXPECT_EQ(ReadNative(file), G("[1]\r\nWindowName=监控\r\n"));
    EXPECT_EQ(ReadWholeFile(file), G("[1]\r\nWindowName=监控\r\n"));
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(Native(m_folder))) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);  // only Config.inf
}

TEST_P(WindowsFolders, AReadOnlyFileIsRefusedWithItsFullName) {
    const std::string file = File("email.inf");
    ReplaceFileAtomically(file, "[email]\r\n");
    SetFileAttributesW(Native(file).c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        ReplaceFileAtomically(file, "changed");
        ADD_FAILURE() << "write accepted";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + file);
    }
    SetFileAttributesW(Native(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadNative(file), "[email]\r\n");
}

TEST_P(WindowsFolders, AppendsAddWholeLinesAndCreateTheFile) {
    const std::string file = File("informlog.txt");
    EXPECT_TRUE(AppendWhole(file, G("第一行\r\n")));
    EXPECT_TRUE(AppendWhole(file, "second\r\n"));
    EXPECT_EQ(ReadNative(file), G("第一行\r\n") + "second\r\n");
    EXPECT_FALSE(AppendWhole(File("missing/x.txt"), "x"));
}

TEST_P(WindowsFolders, ConcurrentAppendsNeverMixTheirLines) {
    const std::string file = File("log.txt");
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            std::string line = std::string(200, static_cast<char>('a' + w)) + "\r\n";
            for (int i = 0; i < 50; ++i) AppendWhole(file, line);
        });
    }
    for (auto& writer : writers) writer.join();
    std::istringstream in(ReadNative(file));
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        ASSERT_EQ(line.size(), 201u);
        EXPECT_EQ(line.find_first_not_of(line[0]), 200u) << "mixed line " << lines;
    }
    EXPECT_EQ(lines, 200);
}

TEST_P(WindowsFolders, UpdatesOfTwoThreadsKeepEachOthersKeys) {
    IniFile ini(File("Config.inf"));
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 20; ++i) {
                ini.WriteString("1", "k" + std::to_string(w) + "_" + std::to_string(i), "值");
            }
        });
    }
    for (auto& writer : writers) writer.join();
    IniDocument doc = ini.Load();
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(doc.Read("1", "k" + std::to_string(w) + "_" + std::to_string(i)), "值");
        }
    }
}

TEST_P(WindowsFolders, ALockHeldElsewhereMakesTheWriteFailAfterWaiting) {
    const std::string file = File("Config.inf");
    IniFile(file).WriteString("1", "url", "old");
    FileLock other(m_folder + "/.Config.inf.lock");
    ASSERT_TRUE(other.Held());
    EXPECT_FALSE(FileLock(m_folder + "/.Config.inf.lock", std::chrono::milliseconds(50)).Held());
    EXPECT_THROW(IniFile(file).WriteString("1", "url", "new"), FileWriteError);
    EXPECT_EQ(IniFile(file).ReadString("1", "url"), "old");
}

TEST_P(WindowsFolders, StaleTemporariesGoAndYoungOnesAndOtherFilesStay) {
    ReplaceFileAtomically(File("Config.inf"), "[1]\r\n");
    const char* stale = ".Config.inf.a1B2c3.nuvaro-tmp";
    for (const char* name : {stale, ".email.inf.young1.nuvaro-tmp", "Config.inf.a1B2c3",
                             ".Config.inf.a1B2c3", ".Config.inf.a1-2c3.nuvaro-tmp"}) {
        std::ofstream(Native(m_folder + "/" + name)) << "x";
        if (std::string(name).find("young") == std::string::npos) {
            fs::last_write_time(Native(m_folder + "/" + name),
                                fs::file_time_type::clock::now() - std::chrono::minutes(5));
        }
    }
    EXPECT_EQ(RemoveStaleTemporaries(m_folder), 1);
    EXPECT_FALSE(fs::exists(Native(m_folder + "/" + stale)));
    EXPECT_EQ(std::distance(fs::directory_iterator(Native(m_folder)), fs::directory_iterator()), 5);
}

TEST_P(WindowsFolders, SlotsSaveGbkWithCrLfAndReadBack) {
    SetExeDirForTesting(m_folder);
    TConfig slot(3, ExeDirFile("Config.inf"));
    slot.WindowName = "价格监控";
    slot.url = "http://127.0.0.1/shop";
    slot.SmsBody = "到货了\r\n第二行";
    slot.SaveAndReload();
    const std::string content = ReadNative(File("Config.inf"));
    EXPECT_EQ(content.rfind("[3]\r\nUser=\r\nurl=http://127.0.0.1/shop\r\n", 0), 0u) << content;
    EXPECT_NE(content.find("WindowName=" + G("价格监控") + "\r\n"), std::string::npos);
    EXPECT_EQ(content.find('\n', 0), content.find("\r\n", 0) + 1);
    TConfig again(3, ExeDirFile("config.INF"));  // names without regard to case
    EXPECT_EQ(again.WindowName, "价格监控");
    EXPECT_EQ(again.SmsBody, "到货了\r\n第二行");
    SetExeDirForTesting(m_dir.path());
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsFolders,
                         ::testing::Values("plain", "网页监控", "My Nuvaro", "我的 监控 (2)"));

TEST(WindowsExecutable, ItsPathIsTheModulesWithForwardSlashes) {
    std::string path = ExeFilePath();
    EXPECT_NE(path.find(":/"), std::string::npos) << path;
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
    EXPECT_TRUE(path.ends_with("/nuvaro_core_tests.exe")) << path;
}

}  // namespace
}  // namespace nuvaro
