#include "notify/send_log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::TempExeDir;

TEST(SendLogLine, OkAndFailedLayouts) {
    EXPECT_EQ(SendLogLine("2026-12-7 9:05:03", {"SMS", "3", "+8613800138000", true, "HTTP 200 ok"}),
              "2026-12-7 9:05:03 [SMS][3][+8613800138000] OK: HTTP 200 ok");
    EXPECT_EQ(SendLogLine("d", {"EMAIL", "test", "a@b", false, "Timeout\r\nwas reached\t"}),
              "d [EMAIL][test][a@b] FAILED: Timeout was reached");
    EXPECT_EQ(SendLogLine("d", {"EMAIL", "1", "a@b", true, ""}), "d [EMAIL][1][a@b] OK");
    EXPECT_EQ(SendLogLine("d", {"SMS", "4", "+1", false, "HTTP 503", 3}),
              "d [SMS][4][+1][try 3] FAILED: HTTP 503");
}

TEST(SendLogLine, AVeryLongDetailIsCutAtACharacterBoundary) {
    std::string detail;
    for (int i = 0; i < 400; ++i) detail += G("长");
    std::string line = SendLogLine("d", {"SMS", "1", "x", false, detail});
    EXPECT_LT(line.size(), 600u);
    std::string cut = line.substr(line.find(": ") + 2);
    ASSERT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_EQ(cut.size() % 2, 1u);  // whole two-byte characters, then "..."
}

TEST(AppendSendLog, CreatesTheFolderAndAppendsCrLfLines) {
    TempExeDir dir;
    AppendSendLog(dir.path(), "one");
    AppendSendLog(dir.path(), G("二"));
    EXPECT_EQ(dir.Read("Log/sendlog.txt"), "one\r\n" + G("二") + "\r\n");
    EXPECT_NO_THROW(AppendSendLog(dir.File("missing/deeper"), "lost"));
}

}  // namespace
}  // namespace nuvaro
