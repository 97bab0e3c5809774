#include "platform/posix/desktop_shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "support/notify_helpers.h"
#include "support/processes.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::InstallRecorder;
using testing::RecordedStarts;
using testing::TempExeDir;
using testing::WaitFor;

// True while one of our children has exited and not been reaped.
bool HasZombieChild() {
    for (int pid : testing::AllProcesses()) {
        testing::ProcessInfo child = testing::ReadProcess(pid);
        if (child.parent == getpid() && child.state == 'Z') return true;
    }
    return false;
}

TEST(DesktopShellExecute, StartsAnExecutableDirectlyWithSplitArguments) {
    TempExeDir dir;
    std::string recorder = InstallRecorder(dir);
    DesktopShell shell;
    shell.Execute(recorder, R"(plain "two words" 中文 a\"b $HOME)");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    EXPECT_EQ(RecordedStarts(dir)[0].args,
              (std::vector<std::string>{"plain", "two words", "中文", "a\"b", "$HOME"}));
}

TEST(DesktopShellExecute, FindsAProgramWhosePathHoldsChineseAndBlanks) {
    TempExeDir dir;
    std::string recorder = InstallRecorder(dir, "记录 程序.sh");
    DesktopShell shell;
    shell.Execute(recorder, "");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    EXPECT_TRUE(RecordedStarts(dir)[0].args.empty());
}

TEST(DesktopShellExecute, ChildIsDetachedFromOurStdinDescriptorsAndSessionAndReaped) {
    TempExeDir dir;
    std::string recorder = InstallRecorder(dir);
    // A descriptor that a careless library left inheritable.
    int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    ASSERT_EQ(dup2(leaked, 57), 57);
    DesktopShell shell;
    shell.Execute(recorder, "x");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    close(57);
    close(leaked);
    auto start = RecordedStarts(dir)[0];
    EXPECT_EQ(start.stdinTarget, "/dev/null");
    EXPECT_TRUE(start.sessionLeader);
    EXPECT_EQ(std::count(start.fds.begin(), start.fds.end(), 57), 0);
    EXPECT_TRUE(WaitFor([] { return !HasZombieChild(); }));
}

TEST(DesktopShellExecute, AFileThatIsNotExecutableGoesToTheOpenerWithoutParameters) {
    TempExeDir dir;
    std::string opener = InstallRecorder(dir);
    dir.Write("说明.txt", "text");
    DesktopShell shell(opener);
    shell.Execute(dir.File("说明.txt"), "ignored parameters");
    shell.Execute("https://example.invalid/a?b=1", "");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 2; }));
    auto starts = RecordedStarts(dir);
    std::vector<std::vector<std::string>> args = {starts[0].args, starts[1].args};
    std::sort(args.begin(), args.end());
    EXPECT_EQ(args, (std::vector<std::vector<std::string>>{{dir.File("说明.txt")},
                                                           {"https://example.invalid/a?b=1"}}));
}

TEST(DesktopShellExecute, AnEmptyProgramOrAMissingOneStartsNothing) {
    TempExeDir dir;
    std::string opener = InstallRecorder(dir);
    DesktopShell shell(opener);
    EXPECT_NO_THROW(shell.Execute("", "a"));
    EXPECT_NO_THROW(DesktopShell(dir.File("no-such-opener")).OpenDocument("x"));
    shell.OpenDocument("marker");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    EXPECT_EQ(RecordedStarts(dir)[0].args, std::vector<std::string>{"marker"});
    shell.OpenPath("/tmp/桌面/informlog.txt");  // native bytes, passed on unchanged
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 2; }));
    EXPECT_EQ(RecordedStarts(dir)[1].args, std::vector<std::string>{"/tmp/桌面/informlog.txt"});
}

TEST(DesktopShellOpenPath, TellsWhenNoProgramOpensTheFile) {
    std::atomic<int> failed{0};
    auto count = [&] { ++failed; };
    DesktopShell("true").OpenPathOrReport("/tmp/help.html", count);
    DesktopShell("false").OpenPathOrReport("/tmp/help.html", count);  // the opener gives up
    DesktopShell("no-such-opener").OpenPathOrReport("/tmp/help.html", count);
    ASSERT_TRUE(WaitFor([&] { return failed == 2; }));
    EXPECT_TRUE(WaitFor([] { return !HasZombieChild(); }));
    EXPECT_EQ(failed, 2);  // "true" opened it
}

TEST(FindExecutable, LooksUpBareNamesOnPathAndChecksTheExecuteBit) {
    TempExeDir dir;
    std::string recorder = InstallRecorder(dir);
    dir.Write("plain.txt", "x");
    EXPECT_EQ(FindExecutable(recorder), recorder);
    EXPECT_EQ(FindExecutable(dir.File("plain.txt")), std::nullopt);
    EXPECT_EQ(FindExecutable(dir.path()), std::nullopt);
    EXPECT_NE(FindExecutable("sh"), std::nullopt);
    EXPECT_EQ(FindExecutable("no-such-program-here"), std::nullopt);
}

}  // namespace
}  // namespace nuvaro
