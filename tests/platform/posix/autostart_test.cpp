#include "platform/posix/autostart.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::TempExeDir;

TEST(Autostart, FirstRunWritesTheChoiceAndTheEntryThenLeavesThemAlone) {
    TempExeDir dir;
    XdgAutostartStore store(dir.File("cfg"));
    EXPECT_TRUE(SynchronizeAutostart(store, "/opt/Nuvaro/nuvaro"));
    EXPECT_EQ(store.ReadReg(), "1");
    ASSERT_TRUE(store.HasRunValue());
    EXPECT_EQ(dir.Read("cfg/nuvaro/registry.ini"), "[SOFTWARE\\Microsoft\\Windows]\r\nreg=1\r\n");

    store.DeleteRunValue();  // removed by someone else: a show does not bring it back
    EXPECT_FALSE(SynchronizeAutostart(store, "/opt/Nuvaro/nuvaro"));  // and the box says so
    EXPECT_FALSE(store.HasRunValue());
}

TEST(Autostart, AnythingButOneOrZeroCountsAsAFirstRun) {
    TempExeDir dir;
    XdgAutostartStore store(dir.File("cfg"));
    store.WriteReg("yes");
    EXPECT_TRUE(SynchronizeAutostart(store, "/x"));
    EXPECT_EQ(store.ReadReg(), "1");
    store.WriteReg("0");
    EXPECT_FALSE(SynchronizeAutostart(store, "/x"));
    EXPECT_TRUE(store.HasRunValue());  // a show never touches the entry once chosen
}

TEST(Autostart, ChoiceWritesOrDeletesTheEntry) {
    TempExeDir dir;
    XdgAutostartStore store(dir.File("cfg"));
    EXPECT_NO_THROW(ApplyAutostartChoice(store, false, "/x"));  // no entry yet: no error
    EXPECT_EQ(store.ReadReg(), "0");
    ApplyAutostartChoice(store, true, "/x");
    EXPECT_TRUE(store.HasRunValue());
    EXPECT_EQ(store.ReadReg(), "1");
}

TEST(Autostart, EntryQuotesThePathForTheDesktop) {
    TempExeDir dir;
    XdgAutostartStore store(dir.File("cfg"));
    store.WriteRunValue("/home/u/我的 程序/100%\"a\"/nuvaro");
    std::string entry = dir.Read("cfg/autostart/Zelvra.desktop");
    EXPECT_NE(entry.find("Exec=\"/home/u/我的 程序/100%%\\\\\"a\\\\\"/nuvaro\"\n"),
              std::string::npos)
        << entry;
    EXPECT_NE(entry.find("Type=Application\n"), std::string::npos);
}

// The box is ticked only for an entry that starts this very executable, whatever its quoting.
TEST(Autostart, AnEntryForAnotherExecutableIsNotThisProgramsAutostart) {
    TempExeDir dir;
    XdgAutostartStore store(dir.File("cfg"));
    const std::string odd = "/home/u/我的 程序/100%\"a\"\\b$/nuvaro";
    store.WriteRunValue(odd);
    store.WriteReg("1");
    EXPECT_TRUE(store.RunValueStarts(odd));
    EXPECT_FALSE(store.RunValueStarts("/home/u/我的 程序/100%\"a\"\\b$/nuvaro2"));
    EXPECT_FALSE(SynchronizeAutostart(store, "/opt/Other/nuvaro"));
    EXPECT_TRUE(SynchronizeAutostart(store, odd));
    EXPECT_TRUE(store.RunValueStarts(odd));  // a show rewrites nobody's entry

    dir.Write("cfg/autostart/Zelvra.desktop", "[Desktop Entry]\r\nExec=/opt/Nuvaro/nuvaro --x\r\n");
    EXPECT_TRUE(store.RunValueStarts("/opt/Nuvaro/nuvaro"));
    dir.Write("cfg/autostart/Zelvra.desktop", "[Desktop Entry]\nName=Nuvaro\n");
    EXPECT_FALSE(store.RunValueStarts("/opt/Nuvaro/nuvaro"));
}

TEST(Autostart, UnwritableConfigHomeIsAnError) {
    TempExeDir dir;
    dir.Write("file", "x");
    XdgAutostartStore store(dir.File("file/cfg"));
    EXPECT_THROW(store.WriteReg("1"), std::runtime_error);
    EXPECT_THROW(store.WriteRunValue("/x"), std::runtime_error);
}

}  // namespace
}  // namespace nuvaro
