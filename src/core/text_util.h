#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk_text.h"

namespace nuvaro {

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Blanks and control characters (bytes up to 0x20) removed at both ends.
std::string_view TrimControls(std::string_view s);

// Whether `s` holds a control character (a byte below 0x20, or DEL): no address or number
// may, since it could end a protocol's line or cut a C string short.
bool HasControlCharacter(std::string_view s);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

// Decimal integer with an optional sign and nothing else; nullopt for anything else or overflow.
std::optional<long long> ParseInteger(std::string_view s);

// The entries of a GBK list of recipients (numbers, addresses), separated by commas,
// semicolons or blanks, ASCII or full-width (，；、and the full-width blank, as Chinese input
// gives them); empty entries are dropped.
std::vector<GbkText> SplitRecipientList(const GbkText& list);

// Line breaks as the boxes of this program show them: CR LF and a lone CR (a new line on the
// system the texts come from) become LF.
std::string LfLineBreaks(std::string_view text);

}  // namespace nuvaro
