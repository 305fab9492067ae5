#include "levels.h"

#include "conversion.h"

namespace corvane::formats {

Problem sixBitLevels(const Palette& palette, std::size_t most, DivLevels& levels)
{
    const std::size_t count = palette.colours.size();
    if (count > most)
        return "une palette DIV n'a que " + std::to_string(most) + " couleurs, celle-ci en a " + std::to_string(count);
    if (count == 0)
        return std::string(NoColour);
    levels = tileDivLevels(palette.colours, count == 16 ? 16 : DivEntryCount,
                           palette.sixBit ? LevelScale::SixBitTimesFour : LevelScale::EightBit);
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

std::vector<PaletteTable::Entry> unpackColours(const std::uint8_t* bytes, std::size_t count, int factor)
{
    std::vector<PaletteTable::Entry> colours(count);
    for (PaletteTable::Entry& colour : colours)
        for (std::int16_t& level : colour)
            level = static_cast<std::int16_t>(*bytes++ * factor);
    return colours;
}

void packColours(const std::vector<PaletteTable::Entry>& colours, char* out)
{
    for (const PaletteTable::Entry& colour : colours)
        for (const std::int16_t level : colour)
            *out++ = static_cast<char>(level);
}

} // namespace corvane::formats
