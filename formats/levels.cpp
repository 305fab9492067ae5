#include "levels.h"

#include "conversion.h"

namespace corvane::formats {

std::string colourCount(std::size_t n)
{
    return std::to_string(n) + (n > 1 ? " couleurs" : " couleur");
}

Problem sixBitLevels(const Palette& palette, std::size_t most, DivLevels& levels)
{
    const std::size_t count = palette.colours.size();
    if (count > most)
        return "une palette DIV n'a que " + std::to_string(most) + " couleurs, celle-ci en a " + std::to_string(count);
    if (count == 0)
        return std::string(NoColour);
    const std::size_t period = count == 16 ? 16 : DivEntryCount;
    for (std::size_t n = 0; n < DivEntryCount; ++n) {
        const std::size_t k = n % period;
        for (std::size_t c = 0; c < 3; ++c) {
            std::uint8_t level = 0;
            if (k < count) {
                const std::int16_t value = palette.colours[k][c];
                // Held times 4: the byte as it was read.
                level = palette.sixBit ? static_cast<std::uint8_t>(value / 4) : divLevel(value);
            }
            levels[n * 3 + c] = level;
        }
    }
    return std::nullopt;
}

Problem checkEightBit(const Palette& palette, std::size_t most)
{
    if (palette.colours.size() > most)
        return "ce format n'a que " + std::to_string(most) + " couleurs, la palette en a " +
               std::to_string(palette.colours.size());
    if (palette.colours.empty())
        return std::string(NoColour);
    for (std::size_t k = 0; k < palette.colours.size(); ++k)
        for (const std::int16_t value : palette.colours[k])
            if (value < 0 || value > 255)
                return "couleur " + std::to_string(k) + " : niveau " + std::to_string(value) + " hors de 0 à 255";
    return std::nullopt;
}

} // namespace corvane::formats
