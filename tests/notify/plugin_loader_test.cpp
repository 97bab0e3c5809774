#include "notify/plugin_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/gbk.h"
#include "notify/plugin_contract.h"
#include "support/notify_helpers.h"

namespace nuvaro {
namespace {

using testing::GT;
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
    EXPECT_THAT(ErrorOf(plugin::kSmsDll, "SendSms"),
                StartsWith("无法加载插件：" + dir.File(plugin::kSmsDll)));
}

TEST(PluginLoader, AFileThatIsNoLibraryIsAnErrorNamingIt) {
    TempExeDir dir;
    dir.Write(plugin::kEmailDll, "not a shared object");
    EXPECT_THAT(ErrorOf(plugin::kEmailDll, "SendMail"),
                StartsWith("无法加载插件：" + dir.File(plugin::kEmailDll)));
}

TEST(PluginLoader, APlugInWithoutTheFunctionIsAnErrorNamingFunctionAndFile) {
    TempExeDir dir;
    std::filesystem::copy_file(std::string(NUVARO_BIN_DIR) + "/" + plugin::kRegInfo,
                               dir.File(plugin::kSmsDll));
    std::string error = ErrorOf(plugin::kSmsDll, "SendSms");
    EXPECT_THAT(error, StartsWith(std::string("插件缺少函数：") + "SendSms"));
    EXPECT_THAT(error, HasSubstr(dir.File(plugin::kSmsDll)));
}

TEST(PluginLoader, EachFileIsLoadedOnceAndFoundInTheExecutablesFolder) {
    TempExeDir first;
    testing::InstallPlugins(first);
    void* a = PluginFunction(plugin::kRegInfo, "ReadEmail");
    EXPECT_EQ(PluginFunction(plugin::kRegInfo, "ReadEmail"), a);
    TempExeDir second;
    testing::InstallPlugins(second);
    EXPECT_NE(PluginFunction(plugin::kRegInfo, "ReadEmail"), a);
}

TEST(PluginLoader, RefusedEmailSaveIsReportedNamingTheFile) {
    TempExeDir dir;
    testing::InstallPlugins(dir);
    std::filesystem::create_directory(dir.File("email.inf"));  // cannot be replaced by a file
    auto libraries = MakePluginLibraries();
    try {
        libraries->SaveEmail(GT("h"), GT("u"), GT("p"), GT("25"), GT("1"));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.File("email.inf"));
    }
}

}  // namespace
}  // namespace nuvaro
