// Matcher's expressions. Input: an expression, NUL, a page, NUL, the group number's byte.

#include "fuzz/fuzz_support.h"
#include "monitor/regex.h"

using namespace nuvaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = fuzz::Parts(data, size, 3);
    const std::string& expression = parts[0];
    const std::string& page = parts[1];
    int group = parts[2].empty() ? 0 : static_cast<signed char>(parts[2][0]);

    TranslateExpression(expression);
    try {
        Regex regex(expression);
        auto found = regex.FirstMatchGroup(page, group);
        // A group's text is a piece of the page.
        if (found) FUZZ_CHECK(page.find(*found) != std::string::npos);
        if (found && (group < 0 || group >= Regex::kGroups)) FUZZ_CHECK(found->empty());
    } catch (const RegexError& e) {
        FUZZ_CHECK(*e.what() != '\0');  // the engine's message, never empty
    }
    return 0;
}
