// Notification records as the mail sender reads them, and the mail made from them. Input:
// the record, NUL, Config.inf's text, NUL, an account text.

#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/text_util.h"
#include "fuzz/fuzz_support.h"
#include "notify/account_text.h"
#include "notify/mail_message.h"
#include "notify/notify_record.h"

using namespace nuvaro;

namespace {

// The header lines (up to the empty line) are our own headers or their continuations, and
// every line ends in CR LF: nothing from the record becomes a header of its own.
void CheckMail(const std::string& mail) {
    static const char* kHeaders[] = {
        "Date: ",       "From: ",         "To: ",           "Subject: ",
        "Message-ID: ", "MIME-Version: ", "Content-Type: ", "Content-Transfer-Encoding: "};
    size_t start = 0;
    bool inHeaders = true;
    while (start < mail.size()) {
        size_t end = mail.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos);
        std::string_view line(mail.data() + start, end - start);
        FUZZ_CHECK(!fuzz::HasLineBreak(line));
        FUZZ_CHECK(line.size() <= 998);
        if (line.empty()) inHeaders = false;
        if (inHeaders && line.front() != ' ') {
            bool known = false;
            for (const char* name : kHeaders) known |= line.rfind(name, 0) == 0;
            FUZZ_CHECK(known);
        }
        start = end + 2;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = fuzz::Parts(data, size, 3);
    NotifyRecord record =
        ParseNotifyRecord(GbkText::FromBytes(parts[0]), IniDocument::Parse(parts[1]));

    if (auto account = DecodeMailAccount(parts[2])) {
        auto again = DecodeMailAccount(EncodeMailAccount(*account));
        FUZZ_CHECK(again && again->smtp == account->smtp && again->port == account->port &&
                   again->user == account->user && again->password == account->password);
    }
    for (const GbkText& to : SplitRecipientList(record.toMail)) {
        FUZZ_CHECK(!to.empty());
        if (to.size() > 254) continue;  // no SMTP server takes a longer address
        MailMessage mail{"me@example.com",    ToUtf8(to), ToUtf8(record.subject),
                         ToUtf8(record.body), 0,          "id@localhost"};
        CheckMail(ComposeMail(mail));
    }
    return 0;
}
