// Owner-only access rights on Windows: what MakePrivate, MakeFolder and new settings files get,
// read back from the system.

#include "core/private_files.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/append_file.h"
#include "core/atomic_file.h"
#include "core/system.h"
#include "platform/win32/wide.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

struct Rights {
    std::vector<std::string> sids;  // of the entries, in order
};

Rights RightsOf(const std::string& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    PACL dacl = nullptr;
    Rights rights;
    std::wstring wide = win32::WidePath(path);
    if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
        return rights;
    }
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(&ace->SidStart, &sid)) {
            rights.sids.push_back(win32::Utf8(sid));
            LocalFree(sid);
        }
    }
    LocalFree(sd);
    return rights;
}

// The user may, and nobody but the user, the system and the administrators. (Wine keeps no
// access list of its own: it maps one to the file mode and reads the mode back as one, so the
// rights are checked as both read them.)
::testing::AssertionResult IsOwnerOnly(const std::string& path) {
    bool user = false;
    for (const std::string& sid : RightsOf(path).sids) {
        if (sid.rfind("S-1-5-21-", 0) == 0) {
            user = true;
        } else if (sid != "S-1-5-18" && sid != "S-1-5-32-544") {
            return ::testing::AssertionFailure() << path << " grants " << sid;
        }
    }
    if (!user) return ::testing::AssertionFailure() << path << " does not grant its user";
    return ::testing::AssertionSuccess();
}

void OpenToEveryone(const std::string& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
    EXPECT_TRUE(SetFileSecurityW(win32::WidePath(path).c_str(), DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
}

class OwnerOnlyRights : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        m_folder = m_dir.path() + "/" + GetParam();
        ASSERT_TRUE(MakeFolder(m_folder));
    }
    testing::TempExeDir m_dir;
    std::string m_folder;
};

TEST_P(OwnerOnlyRights, KeptFilesAndWhatTheirFoldersLaterHoldAreTheOwners) {
    const std::string file = m_folder + "/email.inf";
    std::ofstream(std::filesystem::path(win32::WidePath(file))) << "[1]\r\n";
    OpenToEveryone(file);  // as an older version or another folder may have left it
    ASSERT_FALSE(IsOwnerOnly(file));
    MakePrivate(file);
    EXPECT_TRUE(IsOwnerOnly(file));

    const std::string log = m_folder + "/Log";
    ASSERT_TRUE(MakeFolder(log));
    EXPECT_TRUE(IsOwnerOnly(log));
    ASSERT_TRUE(AppendWhole(log + "/informlog.txt", "line\r\n"));
    EXPECT_TRUE(IsOwnerOnly(log + "/informlog.txt"));
}

TEST_P(OwnerOnlyRights, NewSettingsAreTheOwnersAndReplacementsKeepThat) {
    const std::string secret = m_folder + "/Config.inf";
    ReplaceFileAtomically(secret, "[1]\r\n");
    EXPECT_TRUE(IsOwnerOnly(secret));
    ReplaceFileAtomically(secret, "[1]\r\nurl=a\r\n");
    EXPECT_TRUE(IsOwnerOnly(secret));
}

INSTANTIATE_TEST_SUITE_P(Folders, OwnerOnlyRights, ::testing::Values("plain", "监控 设置"));

}  // namespace
}  // namespace nuvaro
