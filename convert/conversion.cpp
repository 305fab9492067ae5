#include "conversion.h"

#include "div_pal.h"
#include "jasc_pal.h"

#include <algorithm>
#include <array>

namespace corvane {
namespace {

constexpr std::string_view LineEnd = "\r\n";

PaletteTable::Entry entryOrBlack(std::span<const PaletteTable::Entry> entries, std::size_t k)
{
    return k < entries.size() ? entries[k] : PaletteTable::Entry{0, 0, 0};
}

} // namespace

DivLevels tileDivLevels(std::span<const PaletteTable::Entry> colours, std::size_t period, LevelScale scale)
{
    DivLevels levels{};
    for (std::size_t n = 0; n < DivEntryCount; ++n) {
        const std::size_t k = n % period;
        if (k >= colours.size())
            continue; // black, which is 0 on either scale
        for (std::size_t c = 0; c < 3; ++c)
            levels[n * 3 + c] = scale == LevelScale::SixBitTimesFour ? static_cast<std::uint8_t>(colours[k][c] / 4)
                                                                     : divLevel(colours[k][c]);
    }
    return levels;
}

Conversion conversionFor(const KindCaption& caption)
{
    const std::string& text = caption.text();
    if (text == KindCaption::Div)
        return Conversion::DivToJasc;
    if (text == KindCaption::Psp256)
        return Conversion::Jasc256ToDiv;
    if (text == KindCaption::Psp16)
        return Conversion::Jasc16ToDiv;
    return Conversion::None;
}

std::uint8_t divLevel(std::int16_t component)
{
    // v = c/4, minus 1 when positive, in quarters: m/4 with m = c or c - 4.
    const int m = component > 0 ? component - 4 : component;
    const int floorQuarter = m >= 0 ? m / 4 : -((-m + 3) / 4);
    const int remainder = m - floorQuarter * 4; // 0..3 quarters above the floor
    int level = floorQuarter;
    if (remainder > 2 || (remainder == 2 && floorQuarter % 2 != 0))
        ++level;
    return static_cast<std::uint8_t>(std::clamp(level, 0, 255));
}

std::string convertPalette(std::span<const PaletteTable::Entry> table, Conversion conversion)
{
    std::string out;
    switch (conversion) {
    case Conversion::None:
        return out;
    case Conversion::DivToJasc: {
        std::array<PaletteTable::Entry, JascPalWrittenEntries> entries{};
        for (std::size_t k = 0; k < entries.size(); ++k)
            entries[k] = entryOrBlack(table, k);
        out = buildJascText(entries);
        break;
    }
    case Conversion::Jasc256ToDiv:
        out = buildDivContent(tileDivLevels(table, 256, LevelScale::EightBit),
                              windowRangeBlock(ColourIndexList::Colours256));
        break;
    case Conversion::Jasc16ToDiv:
        out = buildDivContent(tileDivLevels(table, 16, LevelScale::EightBit),
                              windowRangeBlock(ColourIndexList::Colours16));
        break;
    }
    out.append(LineEnd);
    return out;
}

} // namespace corvane
