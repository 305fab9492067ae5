#include "hex_digits.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace corvane::formats {
namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool isHexDigit(char c)
{
    return digitValue(c) >= 0;
}

bool allHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isHexDigit);
}

bool hexLevels(std::string_view digits, PaletteTable::Entry& colour)
{
    if (digits.size() != 6 || !allHexDigits(digits))
        return false;
    for (std::size_t c = 0; c < 3; ++c)
        colour[c] = static_cast<std::int16_t>(digitValue(digits[2 * c]) * 16 + digitValue(digits[2 * c + 1]));
    return true;
}

void appendHexLevels(std::string& out, const PaletteTable::Entry& colour, bool upperCase)
{
    const std::string_view digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    for (const std::int16_t level : colour)
        out.append({digits[static_cast<std::size_t>(level) >> 4], digits[static_cast<std::size_t>(level) & 0xF]});
}

} // namespace corvane::formats
