// Writes settings files from a process of its own, for the tests that kill writers or run two
// at once.
//   store_writer slots <Config.inf> <tag>   whole-slot saves of slots 1-3, without end; prints
//                                           "ready" once every slot has been saved
//   store_writer keys <file> <prefix> <n>   writes keys <prefix>0 .. <prefix>n-1 of section "1"
//                                           one at a time
//   store_writer once <Config.inf> <tag>    one whole-slot save of slots 1-3, then the window
//                                           name of slot 2 alone (the Linux and the Windows
//                                           build must write the same bytes)

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "config/tconfig.h"
#include "core/ini_file.h"
#include "support/store_values.h"

namespace {

[[noreturn]] void SaveSlotsForever(const std::string& file, const std::string& tag) {
    for (long round = 0;; ++round) {
        for (int slot = 1; slot <= nuvaro::testing::kWriterSlots; ++slot) {
            nuvaro::TConfig config(slot, file);
            nuvaro::testing::FillSlot(config, tag + "-" + std::to_string(round));
            config.SaveAndReload();
        }
        if (round == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

void SaveSlotsOnce(const std::string& file, const std::string& tag) {
    for (int slot = 1; slot <= nuvaro::testing::kWriterSlots; ++slot) {
        nuvaro::TConfig config(slot, file);
        nuvaro::testing::FillSlot(config, tag);
        config.SaveAndReload();
    }
    nuvaro::IniFile(file).WriteString("2", "WindowName", "价格 2");
}

void WriteKeys(const std::string& file, const std::string& prefix, int count) {
    nuvaro::IniFile ini(file);
    for (int i = 0; i < count; ++i) {
        ini.WriteString("1", prefix + std::to_string(i), "v" + std::to_string(i));
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "slots" && argc == 4) SaveSlotsForever(argv[2], argv[3]);
        if (mode == "once" && argc == 4) {
            SaveSlotsOnce(argv[2], argv[3]);
            return 0;
        }
        if (mode == "keys" && argc == 5) {
            WriteKeys(argv[2], argv[3], std::atoi(argv[4]));
            return 0;
        }
        std::fputs("usage: store_writer slots|once <file> <tag> | keys <file> <prefix> <n>\n",
                   stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
