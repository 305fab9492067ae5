#pragma once

// Levels written in hexadecimal digits.

#include "palette_table.h"

#include <string>
#include <string_view>

namespace corvane::formats {

// 0-9, a-f or A-F.
[[nodiscard]] bool isHexDigit(char c);

// Hexadecimal digits only, and at least one.
[[nodiscard]] bool allHexDigits(std::string_view text);

// Red, green and blue from exactly six hexadecimal digits, either case.
[[nodiscard]] bool hexLevels(std::string_view digits, PaletteTable::Entry& colour);

// Red, green and blue as six hexadecimal digits, levels 0..255 only.
void appendHexLevels(std::string& out, const PaletteTable::Entry& colour, bool upperCase);

} // namespace corvane::formats
