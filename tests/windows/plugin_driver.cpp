// Drives the Windows plug-ins as the program does, for the Wine tests of tests/wine:
//   plugin_driver mail <slot>   the mail of window <slot> to each of its recipients
//   plugin_driver sms <slot>    the SMS of window <slot> to each of its numbers
// The plug-ins are loaded from the driver's own folder, where the tests put them with the
// settings files. Each try prints "OK <reply>" or "FAILED <reason>" (GBK) on a line of its own.

#include <cstdio>
#include <exception>
#include <string>

#include "notify/plugin_loader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: plugin_driver mail|sms <slot>\n", stderr);
        return 2;
    }
    try {
        const std::string channel = argv[1], slot = argv[2];
        auto libraries = nuvaro::MakePluginLibraries();
        const bool mail = channel == "mail";
        nuvaro::GbkText account = mail ? libraries->ReadEmail() : libraries->ReadUserId();
        nuvaro::GbkText record = libraries->ReadWindowsInfo(slot);
        auto sender = mail ? libraries->MailSender() : libraries->SmsSender();
        int failed = 0;
        for (const nuvaro::GbkText& recipient : sender.recipients(record)) {
            nuvaro::TryResult result = sender.send({account, record, "", recipient, 1});
            bool ok = result.outcome == nuvaro::TryOutcome::Sent;
            failed += ok ? 0 : 1;
            std::printf("%s %s\n", ok ? "OK" : "FAILED", result.reason.bytes().c_str());
        }
        return failed == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::printf("ERROR %s\n", e.what());
        return 3;
    }
}
