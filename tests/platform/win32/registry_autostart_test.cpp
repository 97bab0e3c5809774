// Start at logon in the current user's registry, under a key of the test's own.

#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "platform/win32/autostart.h"

namespace nuvaro {
namespace {

class RegistryAutostart : public ::testing::Test {
  protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Wide(m_prefix).c_str()); }

    static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

    std::string m_prefix = "Software\\NuvaroTest" + std::to_string(std::random_device{}());
    RegistryAutostartStore m_store{HKEY_CURRENT_USER, m_prefix};
};

TEST_F(RegistryAutostart, FirstRunWritesTheChoiceAndAQuotedRunValueThenLeavesThemAlone) {
    EXPECT_EQ(m_store.ReadReg(), "");
    EXPECT_TRUE(SynchronizeAutostart(m_store, "C:/Program Files/网页监控/nuvaro.exe"));
    EXPECT_EQ(m_store.ReadReg(), "1");
    EXPECT_EQ(m_store.RunValue(), "\"C:\\Program Files\\网页监控\\nuvaro.exe\"");

    // Removed by someone else: a show does not bring it back, and the box shows it is gone.
    m_store.DeleteRunValue();
    EXPECT_FALSE(SynchronizeAutostart(m_store, "C:/x/nuvaro.exe"));
    EXPECT_FALSE(m_store.HasRunValue());
}

TEST_F(RegistryAutostart, TheBoxSwitchesTheValueAndRemembersTheChoice) {
    ApplyAutostartChoice(m_store, true, "C:/n/nuvaro.exe");
    EXPECT_TRUE(m_store.HasRunValue());
    EXPECT_EQ(m_store.ReadReg(), "1");
    ApplyAutostartChoice(m_store, false, "C:/n/nuvaro.exe");
    EXPECT_FALSE(m_store.HasRunValue());
    EXPECT_EQ(m_store.ReadReg(), "0");
    // Unchecking once more, with the value gone, is no error.
    EXPECT_NO_THROW(ApplyAutostartChoice(m_store, false, "C:/n/nuvaro.exe"));
    EXPECT_FALSE(SynchronizeAutostart(m_store, "C:/n/nuvaro.exe"));
    EXPECT_FALSE(m_store.HasRunValue());
}

TEST_F(RegistryAutostart, AnythingButOneOrZeroCountsAsAFirstRun) {
    m_store.WriteReg("yes");
    EXPECT_TRUE(SynchronizeAutostart(m_store, "C:/n/nuvaro.exe"));
    EXPECT_EQ(m_store.ReadReg(), "1");
    EXPECT_TRUE(m_store.HasRunValue());
}

}  // namespace
}  // namespace nuvaro
