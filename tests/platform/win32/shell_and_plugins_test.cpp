// The local program started with its parameter string as its command line, and the plug-ins
// loaded from the executable's folder, with Chinese folder names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/dynamic_library.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/system.h"
#include "notify/plugin_contract.h"
#include "notify/plugin_loader.h"
#include "platform/win32/desktop_shell.h"
#include "support/notify_helpers.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using ::testing::ElementsAreArray;
using testing::G;
using ::testing::HasSubstr;
using testing::TempExeDir;
namespace fs = std::filesystem;

fs::path Native(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

struct CommandLineCase {
    const char* parameters;  // UTF-8, as typed
    std::vector<std::string> argv;
};

class WindowsCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

// The program gets the parameter string exactly as typed and splits it itself.
TEST_P(WindowsCommandLine, TheParameterStringIsTheProgramsCommandLine) {
    TempExeDir dir;
    const std::string folder = dir.path() + "/通知 程序";
    ASSERT_TRUE(MakeFolder(folder));
    fs::copy_file(std::string(NUVARO_BIN_DIR) + "/record_args.exe", Native(folder + "/record.exe"));
    WindowsShell shell;
    ASSERT_TRUE(shell.Execute(folder + "/record.exe", GetParam().parameters));
    std::string args;
    ASSERT_TRUE(testing::WaitFor([&] {
        std::ifstream in(Native(folder + "/args.txt"), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        args = s.str();
        return args.ends_with("end\n");
    }));
    EXPECT_THAT(args, HasSubstr(std::string(GetParam().parameters) + "\n")) << args;
    std::vector<std::string> argv;
    std::istringstream lines(args);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() >= 2 && line.front() == '[')
            argv.push_back(line.substr(1, line.size() - 2));
    }
    EXPECT_THAT(argv, ElementsAreArray(GetParam().argv));
}

INSTANTIATE_TEST_SUITE_P(Strings, WindowsCommandLine,
                         ::testing::Values(CommandLineCase{"one two", {"one", "two"}},
                                           CommandLineCase{"\"价格 到了\" 3", {"价格 到了", "3"}},
                                           CommandLineCase{"a\\\"b c\\\\\"d e\"",
                                                           {"a\"b", "c\\d e"}},
                                           CommandLineCase{"%PATH% & del x | y",
                                                           {"%PATH%", "&", "del", "x", "|", "y"}}));

TEST(WindowsShellStart, AProgramThatIsNotThereIsNotStarted) {
    TempExeDir dir;
    EXPECT_FALSE(WindowsShell().Execute(dir.path() + "/没有.exe", ""));
}

TEST(WindowsPlugins, TheyLoadFromTheExecutablesFolderWithTheirExportsByName) {
    TempExeDir dir;
    const std::string folder = dir.path() + "/网页监控";
    ASSERT_TRUE(MakeFolder(folder));
    for (const char* name : {plugin::kRegInfo, plugin::kSmsDll, plugin::kEmailDll}) {
        fs::copy_file(std::string(NUVARO_BIN_DIR) + "/" + name, Native(folder + "/" + name));
    }
    SetExeDirForTesting(folder);
    for (const char* name : {"ReadWindowsInfo", "ReadUserId", "ReadEmail", "SaveEmail"}) {
        EXPECT_NE(PluginFunction(plugin::kRegInfo, name), nullptr) << name;
    }
    for (const char* name : {"SendSms", "SmsRecipients", "SendSmsTry", "CancelSends"}) {
        EXPECT_NE(PluginFunction(plugin::kSmsDll, name), nullptr) << name;
    }
    for (const char* name : {"SendMail", "MailRecipients", "SendMailTry", "CancelSends"}) {
        EXPECT_NE(PluginFunction(plugin::kEmailDll, name), nullptr) << name;
    }
    // The record store reads Config.inf beside itself: the Chinese folder is found.
    std::ofstream(Native(folder + "/Config.inf"), std::ios::binary) << "[2]\r\nall=a|b|\r\n";
    auto read = PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo");
    EXPECT_STREQ(read("2"), "a|b|");
    SetExeDirForTesting(dir.path());
}

TEST(WindowsPlugins, AMissingOrBrokenPluginIsAClearErrorNamingTheFile) {
    TempExeDir dir;
    EXPECT_THAT([&] { PluginFunction(plugin::kSmsDll, "SendSms"); },
                ::testing::ThrowsMessage<PluginError>(HasSubstr(dir.File(plugin::kSmsDll))));
    dir.Write(plugin::kEmailDll, "not a DLL");
    std::string error;
    EXPECT_EQ(OpenLibrary(dir.File(plugin::kEmailDll), error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace nuvaro
