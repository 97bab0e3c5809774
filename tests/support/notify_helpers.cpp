#include "support/notify_helpers.h"

#include <filesystem>
#include <sstream>
#include <thread>

#include "core/gbk.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"

namespace nuvaro::testing {

std::string SmsTestBytes(std::string address, std::string text, std::string mobiles,
                         std::string countryCode) {
    return SmsTestRecord(GbkBytes(std::move(address)), GbkBytes(std::move(text)),
                         GbkBytes(std::move(mobiles)), GbkBytes(std::move(countryCode)))
        .bytes();
}

std::string EmailTestBytes(std::string address, std::string text, std::string mobiles,
                           std::string countryCode) {
    return EmailTestRecord(GbkBytes(std::move(address)), GbkBytes(std::move(text)),
                           GbkBytes(std::move(mobiles)), GbkBytes(std::move(countryCode)))
        .bytes();
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void InstallPlugins(const TempExeDir& dir) {
    for (const char* name : {plugin::kRegInfo, plugin::kSmsDll, plugin::kEmailDll}) {
        std::filesystem::copy_file(std::string(NUVARO_BIN_DIR) + "/" + name, dir.File(name),
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

std::vector<RecordedStart> RecordedStarts(const TempExeDir& dir) {
    std::vector<RecordedStart> starts;
    std::istringstream in(dir.Read("args.txt"));
    RecordedStart current;
    for (std::string line; std::getline(in, line);) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current.args.push_back(line.substr(1, line.size() - 2));
        } else if (line.rfind("stdin=", 0) == 0) {
            current.stdinTarget = line.substr(6);
        } else if (line == "leader=yes") {
            current.sessionLeader = true;
        } else if (line.rfind("fds=", 0) == 0) {
            std::istringstream fds(line.substr(4));
            for (int fd; fds >> fd;) current.fds.push_back(fd);
        } else if (line.rfind("umask=", 0) == 0) {
            current.umask = line.substr(6);
        } else if (line == "end") {
            starts.push_back(std::move(current));
            current = {};
        }
    }
    return starts;
}

std::vector<std::string> CrLfLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace nuvaro::testing

namespace nuvaro::testing {

std::vector<std::string> SendLogLines(const TempExeDir& dir) {
    std::vector<std::string> lines;
    for (const auto& line : CrLfLines(dir.Read("Log/sendlog.txt"))) {
        lines.push_back(ToUtf8(GbkText::FromBytes(line)));
    }
    return lines;
}

std::vector<std::string> WaitForSendLog(const TempExeDir& dir, size_t count) {
    WaitFor([&] { return SendLogLines(dir).size() >= count; });
    return SendLogLines(dir);
}

}  // namespace nuvaro::testing
