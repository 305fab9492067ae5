#include "unit_levels.h"

#include <algorithm>
#include <cstdint>

namespace corvane::formats {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits from `at` on; how many.
std::size_t digitsFrom(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at - start;
}

// A plain decimal number: an optional sign, digits with an optional fraction,
// an optional exponent. strtod alone would also take "inf", "nan" and hex.
bool isDecimal(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    std::size_t digits = digitsFrom(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += digitsFrom(text, at);
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            ++at;
        if (digitsFrom(text, at) == 0)
            return false;
    }
    return at == text.size();
}

} // namespace

std::optional<int> unitLevel(std::string_view text)
{
    // Longer than any level needs: no fraction written by a tool runs so long.
    if (text.size() > 64 || !isDecimal(text))
        return std::nullopt;
    // Exactly, in decimal digits: no binary fraction's rounding, and none of
    // the floating-point parsing and printing that would weigh on the page.
    const bool negative = text.front() == '-';
    if (text.front() == '-' || text.front() == '+')
        text.remove_prefix(1);
    std::string digits; // the value is 0.DIGITS times 10 to the power `point`
    long point = 0;
    std::size_t at = 0;
    for (; at < text.size() && isDigit(text[at]); ++at, ++point)
        digits.push_back(text[at]);
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && isDigit(text[at]); ++at)
            digits.push_back(text[at]);
    if (at < text.size()) { // an exponent, held within bounds that already decide
        const bool down = text[++at] == '-';
        if (text[at] == '-' || text[at] == '+')
            ++at;
        long exponent = 0;
        for (; at < text.size(); ++at)
            exponent = std::min(exponent * 10 + (text[at] - '0'), 10000L);
        point += down ? -exponent : exponent;
    }
    while (!digits.empty() && digits.front() == '0') {
        digits.erase(0, 1);
        --point;
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return 0;
    if (negative || point > 1 || (point == 1 && digits != "1"))
        return std::nullopt;
    if (point == 1)
        return 255;
    // Below 0.001, x × 255 + 0.5 stays under 1.
    if (point < -2)
        return 0;
    // ⌊x × 255 + 0.5⌋ is ⌊(⌊510 x⌋ + 1) / 2⌋, and ⌊510 x⌋ is the carry out of
    // the fraction's digits multiplied by 510.
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    int carry = 0;
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit)
        carry = ((*digit - '0') * 510 + carry) / 10;
    return (carry + 1) / 2;
}

std::string shortestLevel(int level)
{
    // Three decimals always suffice: they step by less than a level's width.
    std::uint64_t scale = 1;
    for (int decimals = 0;; ++decimals, scale *= 10) {
        const std::uint64_t below = level * scale / 255;
        const std::uint64_t nearest = (2 * level * scale + 255) / 510;
        for (const std::uint64_t numerator : {nearest, below, below + 1}) {
            std::string written = std::to_string(numerator);
            if (decimals > 0) {
                if (written.size() <= static_cast<std::size_t>(decimals))
                    written.insert(0, decimals + 1 - written.size(), '0');
                written.insert(written.size() - decimals, 1, '.');
            }
            if (unitLevel(written) == level)
                return written;
        }
    }
}

} // namespace corvane::formats
