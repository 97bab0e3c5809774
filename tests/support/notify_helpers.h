#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace nuvaro::testing {

// Polls `done` until it holds or `timeout` passes; true when it held.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Copies the built plug-ins (RegInfo.so, smsdll.so, emaildll.so) into the folder.
void InstallPlugins(const TempExeDir& dir);

// Copies the argument recorder into the folder as `name`, executable; returns its full path.
// Each start appends its arguments as "[arg]" lines, then facts about its start, then "end",
// to args.txt in the same folder.
std::string InstallRecorder(const TempExeDir& dir, std::string_view name = "record_args.sh");

struct RecordedStart {
    std::vector<std::string> args;
    std::string stdinTarget;
    bool sessionLeader = false;
    std::vector<int> fds;
    std::string umask;  // as the shell prints it ("0022")
};
// The starts recorded in the folder's args.txt so far (complete ones only).
std::vector<RecordedStart> RecordedStarts(const TempExeDir& dir);

// A TCP port on 127.0.0.1 that nothing listens on now (free a moment ago).
int FreeLoopbackPort();

// Lines of a CR LF text file, without their ends.
std::vector<std::string> CrLfLines(const std::string& content);

// The recipient dialog's test records as bytes, as the plug-ins' C calls take them; the fields
// are bytes too (ASCII, or G's GBK).
std::string SmsTestBytes(std::string address, std::string text, std::string mobiles,
                         std::string countryCode);
std::string EmailTestBytes(std::string address, std::string text, std::string mobiles,
                           std::string countryCode);

}  // namespace nuvaro::testing

namespace nuvaro::testing {

// The lines of Log/sendlog.txt in the folder, converted from GBK to UTF-8.
std::vector<std::string> SendLogLines(const TempExeDir& dir);

// Polls until Log/sendlog.txt has `count` lines; returns them (UTF-8).
std::vector<std::string> WaitForSendLog(const TempExeDir& dir, size_t count);

}  // namespace nuvaro::testing
