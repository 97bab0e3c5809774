// What the program keeps about its user is its owner's only, whatever the file mode mask; the
// programs it starts keep the user's own mask.
#include "core/private_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "config/settings_files.h"
#include "core/ini_file.h"
#include "monitor/monitor_log.h"
#include "notify/send_log.h"
#include "platform/posix/desktop_shell.h"
#include "support/notify_helpers.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::TempExeDir;
namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : m_old(umask(mask)) {}
    ~ScopedUmask() { umask(m_old); }

  private:
    mode_t m_old;
};

class NewFilesUnderUmask : public ::testing::TestWithParam<mode_t> {};

TEST_P(NewFilesUnderUmask, LogsSettingsAndLocksAreTheOwnersOnly) {
    TempExeDir dir;
    ScopedUmask mask(GetParam());
    WriteLog(GbkText::FromBytes("line"), kMonitorLog);
    AppendSendLog(dir.path(), GbkText::FromBytes("sent"));
    IniFile(dir.File("email.inf")).WriteString("email", "Password", "secret");
    IniFile(dir.File("Config.inf")).WriteString("1", "ToMail", "me@example.com");
    EXPECT_EQ(ModeOf(dir.File("Log")), 0700u);
    EXPECT_EQ(ModeOf(dir.File("Log/informlog.txt")), 0600u);
    EXPECT_EQ(ModeOf(dir.File("Log/sendlog.txt")), 0600u);
    EXPECT_EQ(ModeOf(dir.File("email.inf")), 0600u);
    EXPECT_EQ(ModeOf(dir.File("Config.inf")), 0600u);
    EXPECT_EQ(ModeOf(dir.File(".email.inf.lock")), 0600u);
}

INSTANTIATE_TEST_SUITE_P(Masks, NewFilesUnderUmask, ::testing::Values(022, 0, 002));

TEST(MakeKeptFilesPrivate, MendsWhatEarlierVersionsLeftOpenAndNothingElse) {
    TempExeDir dir;
    const fs::path outside = fs::path(dir.path()).parent_path() /
                             (fs::path(dir.path()).filename().string() + "-outside");
    fs::create_directories(outside);
    const std::string shared = (outside / "shared.txt").string();
    for (const char* name :
         {"Config.inf", "email.inf", "sms.inf", "runstate.inf", "outbox.inf", "help.html"})
        dir.Write(name, "x");
    fs::create_directories(dir.File("Log"));
    dir.Write("Log/informlog.txt", "x");
    fs::create_directories(dir.File("Browser/data/storage"));
    dir.Write("Browser/cookies.sqlite", "x");
    dir.Write("Browser/data/storage/local.db", "x");
    dir.Write("Browser/run.sh", "x");
    { std::ofstream(shared) << "x"; }
    fs::create_symlink(shared, dir.File("Browser/link"));
    for (const char* name :
         {"Config.inf", "email.inf", "sms.inf", "runstate.inf", "outbox.inf", "help.html",
          "Log/informlog.txt", "Browser/cookies.sqlite", "Browser/data/storage/local.db"}) {
        chmod(dir.File(name).c_str(), 0644);
    }
    chmod(dir.File("Browser/run.sh").c_str(), 0755);
    chmod(shared.c_str(), 0644);
    for (const char* name : {"Log", "Browser", "Browser/data", "Browser/data/storage"}) {
        chmod(dir.File(name).c_str(), 0755);
    }

    MakeKeptFilesPrivate();

    for (const char* name :
         {"Config.inf", "email.inf", "sms.inf", "runstate.inf", "outbox.inf", "Log/informlog.txt",
          "Browser/cookies.sqlite", "Browser/data/storage/local.db"}) {
        EXPECT_EQ(ModeOf(dir.File(name)), 0600u) << name;
    }
    EXPECT_EQ(ModeOf(dir.File("Browser/run.sh")), 0700u);  // its owner may still run it
    for (const char* name : {"Log", "Browser", "Browser/data", "Browser/data/storage"}) {
        EXPECT_EQ(ModeOf(dir.File(name)), 0700u) << name;
    }
    EXPECT_EQ(ModeOf(dir.File("help.html")), 0644u);  // shipped beside the program, not kept
    EXPECT_EQ(ModeOf(shared), 0644u);                 // a link inside is not followed
    fs::remove_all(outside);
}

// A Log kept elsewhere through a link: what is in it is the user's all the same.
TEST(MakeKeptFilesPrivate, ALogFolderThatIsALinkIsMendedToo) {
    TempExeDir dir;
    const fs::path elsewhere =
        fs::path(dir.path()).parent_path() / (fs::path(dir.path()).filename().string() + "-logs");
    fs::create_directories(elsewhere);
    { std::ofstream(elsewhere / "errorlog.txt") << "x"; }
    chmod((elsewhere / "errorlog.txt").c_str(), 0644);
    chmod(elsewhere.c_str(), 0755);
    fs::create_directory_symlink(elsewhere, dir.File("Log"));

    MakeKeptFilesPrivate();
    WriteLog(GbkText::FromBytes("line"), kMonitorLog);

    EXPECT_EQ(ModeOf((elsewhere / "errorlog.txt").string()), 0600u);
    EXPECT_EQ(ModeOf((elsewhere / "informlog.txt").string()), 0600u);
    EXPECT_EQ(ModeOf(elsewhere.string()), 0700u);
    fs::remove_all(elsewhere);
}

TEST(KeepNewFilesPrivate, ProgramsStartedForTheUserKeepTheUsersMask) {
    TempExeDir dir;
    ScopedUmask mask(027);  // the user's
    KeepNewFilesPrivate();
    const std::string recorder = testing::InstallRecorder(dir);
    ASSERT_TRUE(SpawnDetached(recorder, {"x"}, false));
    ASSERT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(dir).size() == 1; }));
    EXPECT_EQ(testing::RecordedStarts(dir)[0].umask, "0027");
    // The program itself goes on making private files.
    dir.Write("made.txt", "x");
    EXPECT_EQ(ModeOf(dir.File("made.txt")), 0600u);
    EXPECT_EQ(UserFileMask(), 027u);
}

}  // namespace
}  // namespace nuvaro
