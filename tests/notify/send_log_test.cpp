#include "notify/send_log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GbkBytes;
using testing::GT;
using testing::TempExeDir;

TEST(SendLogLine, OkAndFailedLayoutsOnOneLine) {
    auto line = [](std::string channel, std::string slot, std::string recipient, bool ok,
                   std::string detail, int attempt = 0) {
        return SendLogLine("d", {channel, slot, GbkBytes(recipient), ok, GbkBytes(detail), attempt})
            .bytes();
    };
    EXPECT_EQ(line("SMS", "3", "+8613800138000", true, "HTTP 200 ok"),
              "d [SMS][3][+8613800138000] OK: HTTP 200 ok");
    EXPECT_EQ(line("EMAIL", "test", "a@b", false, "Timeout\r\nwas reached\t"),
              "d [EMAIL][test][a@b] FAILED: Timeout\\r\\nwas reached");
    EXPECT_EQ(line("EMAIL", "1", "a@b", true, ""), "d [EMAIL][1][a@b] OK");
    EXPECT_EQ(line("SMS", "4", "+1", false, "HTTP 503", 3),
              "d [SMS][4][+1][try 3] FAILED: HTTP 503");
    // A server's reply cannot make a line of its own, nor drive a terminal.
    EXPECT_EQ(line("SMS", "4", "+1\n", true, "HTTP 200 \x1b[2J\r\n2099-1-1 [SMS]"),
              "d [SMS][4][+1] OK: HTTP 200 \\x1B[2J\\r\\n2099-1-1 [SMS]");
}

TEST(SendLogLine, AVeryLongDetailIsCutAtACharacterWithItsLength) {
    std::string detail;
    for (int i = 0; i < 600; ++i) detail += G("长");
    std::string line = SendLogLine("d", {"SMS", "1", GT("x"), false, GbkBytes(detail)}).bytes();
    std::string cut = line.substr(line.find(": ") + 2);
    const std::string mark = G("…（共 600 字）");
    ASSERT_EQ(cut.size(), 1000 + mark.size());
    EXPECT_EQ(cut.substr(1000), mark);
}

TEST(AppendSendLog, CreatesTheFolderAndAppendsCrLfLines) {
    TempExeDir dir;
    AppendSendLog(dir.path(), GT("one"));
    AppendSendLog(dir.path(), GT("二"));
    EXPECT_EQ(dir.Read("Log/sendlog.txt"), "one\r\n" + G("二") + "\r\n");
    EXPECT_NO_THROW(AppendSendLog(dir.File("missing/deeper"), GT("lost")));
}

}  // namespace
}  // namespace nuvaro
