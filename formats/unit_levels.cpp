#include "unit_levels.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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
    const std::string copy(text);
    const double x = std::strtod(copy.c_str(), nullptr);
    if (!(x >= 0.0 && x <= 1.0))
        return std::nullopt;
    return static_cast<int>(std::floor(x * 255.0 + 0.5));
}

std::string shortestLevel(int level)
{
    const double exact = level / 255.0;
    // Three decimals always suffice: they step by less than a level's width.
    for (int decimals = 0;; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        for (const double candidate :
             {std::round(exact * scale), std::floor(exact * scale), std::ceil(exact * scale)}) {
            char text[16];
            const int length = std::snprintf(text, sizeof text, "%.*f", decimals, candidate / scale);
            const std::string written(text, static_cast<std::size_t>(length));
            if (unitLevel(written) == level)
                return written;
        }
    }
}

} // namespace corvane::formats
