// INI reader and writer. Input: a file's text, NUL, a value.

#include "core/ini_file.h"

#include "fuzz/fuzz_support.h"

using namespace nuvaro;

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool BeginsWithMark(std::string_view value) { return TrimBlanks(value).substr(0, 4) == "~ML~"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = fuzz::Parts(data, size, 2);
    const std::string& text = parts[0];
    const std::string& value = parts[1];

    IniDocument doc = IniDocument::Parse(text);
    for (const auto& name : doc.SectionNames()) doc.Read(name, "k");
    const std::string serialized = doc.Serialize();
    FUZZ_CHECK(IniDocument::Parse(serialized).Serialize() == serialized);

    // A written value reads back as the file format promises: whole when it spans lines or
    // begins (after blanks) with the multi-line mark, else without its outer blanks.
    doc.WriteGbk("s", "k", GbkText::FromBytes(value));
    auto back = doc.ReadGbk("s", "k");
    FUZZ_CHECK(back.has_value());
    bool whole = fuzz::HasLineBreak(value) || BeginsWithMark(value);
    FUZZ_CHECK(back->bytes() == (whole ? value : std::string(TrimBlanks(value))));
    // ... and so it does from the file written.
    FUZZ_CHECK(IniDocument::Parse(doc.Serialize()).ReadGbk("s", "k") == back);
    // A text written as UTF-8 reads back as what GBK keeps of it.
    doc.Write("s", "u", value);
    FUZZ_CHECK(doc.Read("s", "u") == GbkSafe(whole ? value : std::string(TrimBlanks(value))));
    FUZZ_CHECK(!fuzz::HasLineBreak(EncodeIniValue(value)));
    return 0;
}
