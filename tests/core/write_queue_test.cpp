// The program's file writes go through one thread, in order; stopping it loses nothing.
#include "core/write_queue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/atomic_file.h"
#include "core/gbk.h"
#include "core/log_file.h"
#include "monitor/run_state.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::TempExeDir;

class WriteQueueTest : public ::testing::Test {
  protected:
    void TearDown() override { write_queue::Stop(); }
    TempExeDir dir;
};

TEST_F(WriteQueueTest, WritesAreDoneInTheOrderHandedOffAndABurstOfOneFileEndsInItsLast) {
    write_queue::Start();
    std::vector<std::string> order;  // only the writer thread touches it
    const std::string file = dir.File("state.inf");
    for (int i = 0; i < 200; ++i) {
        write_queue::Hand(
            [&order, file, i] {
                ReplaceFileAtomically(file, "v" + std::to_string(i));
                order.push_back("state");
            },
            file);
        if (i % 50 == 0) write_queue::Hand([&order] { order.push_back("other"); });
    }
    write_queue::Flush();
    EXPECT_EQ(ReadWholeFile(file).value_or(""), "v199");
    // Replacements never move past a write handed off after them.
    ASSERT_GE(order.size(), 8u);
    int others = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[k] != "other") continue;
        ++others;
        EXPECT_EQ(order[k - 1], "state");
    }
    EXPECT_EQ(others, 4);
}

TEST_F(WriteQueueTest, StoppingWritesEverythingHandedOffFromAnyThreadAndLaterWritesAreDoneAtOnce) {
    write_queue::Start();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i) {
                WriteLog(GbkText::FromBytes("t" + std::to_string(t) + " " + std::to_string(i)),
                         kMonitorLog);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    write_queue::Stop();
    const std::string log = ReadWholeFile(dir.File("Log/informlog.txt")).value_or("");
    size_t lines = 0;
    for (size_t pos = log.find("\r\n"); pos != std::string::npos; pos = log.find("\r\n", pos + 2))
        ++lines;
    EXPECT_EQ(lines, 1000u);
    WriteLog(GbkText::FromBytes("after"), kMonitorLog);  // no thread: written at once
    EXPECT_NE(ReadWholeFile(dir.File("Log/informlog.txt")).value_or("").find("after\r\n"),
              std::string::npos);
}

// A write that logs its own failure hands off from the writer thread: done there, at once.
TEST_F(WriteQueueTest, TheRunStateThatCannotBeWrittenSaysSoOnceInTheErrorLog) {
    write_queue::Start();
    RunState state(dir.File("runstate.inf"));
    std::filesystem::create_directory(dir.File("runstate.inf"));  // no file can replace it
    state.SetMonitoring(3, true);
    state.SetMonitoring(4, true);
    const std::string errors = dir.Read("Log/errorlog.txt");
    EXPECT_NE(errors.find("Unable to write to " + dir.File("runstate.inf")), std::string::npos);
    EXPECT_EQ(errors.find("\r\n"), errors.size() - 2);  // one line
}

}  // namespace
}  // namespace nuvaro
