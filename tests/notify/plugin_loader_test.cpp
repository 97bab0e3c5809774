#include "notify/plugin_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/gbk.h"
#include "notify/plugin_contract.h"
#include "support/notify_helpers.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::TempExeDir;

std::string ErrorOf(const char* file, const char* function) {
    try {
        PluginFunction(file, function);
    } catch (const PluginError& e) {
        return e.what();
    }
    return "";
}

TEST(PluginLoader, AMissingPlugInIsAnErrorNamingTheFullFile) {
    TempExeDir dir;
    EXPECT_THAT(ErrorOf("smsdll.so", "SendSms"),
                StartsWith("无法加载插件：" + dir.File("smsdll.so")));
}

TEST(PluginLoader, AFileThatIsNoLibraryIsAnErrorNamingIt) {
    TempExeDir dir;
    dir.Write("emaildll.so", "not a shared object");
    EXPECT_THAT(ErrorOf("emaildll.so", "SendMail"),
                StartsWith("无法加载插件：" + dir.File("emaildll.so")));
}

TEST(PluginLoader, APlugInWithoutTheFunctionIsAnErrorNamingFunctionAndFile) {
    TempExeDir dir;
    std::filesystem::copy_file(std::string(NUVARO_BIN_DIR) + "/RegInfo.so", dir.File("smsdll.so"));
    std::string error = ErrorOf("smsdll.so", "SendSms");
    EXPECT_THAT(error, StartsWith(std::string("插件缺少函数：") + "SendSms"));
    EXPECT_THAT(error, HasSubstr(dir.File("smsdll.so")));
}

TEST(PluginLoader, EachFileIsLoadedOnceAndFoundInTheExecutablesFolder) {
    TempExeDir first;
    testing::InstallPlugins(first);
    void* a = PluginFunction("RegInfo.so", "ReadEmail");
    EXPECT_EQ(PluginFunction("RegInfo.so", "ReadEmail"), a);
    TempExeDir second;
    testing::InstallPlugins(second);
    EXPECT_NE(PluginFunction("RegInfo.so", "ReadEmail"), a);
}

TEST(PluginLoader, RefusedEmailSaveIsReportedNamingTheFile) {
    TempExeDir dir;
    testing::InstallPlugins(dir);
    std::filesystem::create_directory(dir.File("email.inf"));  // cannot be replaced by a file
    auto libraries = MakePluginLibraries();
    try {
        libraries->SaveEmail("h", "u", "p", "25", "1");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.File("email.inf"));
    }
}

}  // namespace
}  // namespace nuvaro
