#pragma once

#include "div_pal.h"
#include "kind_caption.h"
#include "palette_table.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace corvane {

// What the Convert command can make of the loaded palette.
enum class Conversion { None, DivToJasc, Jasc256ToDiv, Jasc16ToDiv };

// Exact, case-sensitive comparison of the caption with its three convertible texts.
[[nodiscard]] Conversion conversionFor(const KindCaption& caption);

// A JASC-PAL component (8-bit scale) to a DIV level: c / 4, less 1 when
// positive, rounded half to even; saturated to a byte.
[[nodiscard]] std::uint8_t divLevel(std::int16_t component);

// How the levels given to tileDivLevels are held.
enum class LevelScale { EightBit, SixBitTimesFour };

// DIV's 256 entries: the first `period` colours again and again, black past
// the last; 8-bit levels by divLevel(), 6-bit ones held times 4 as they were read.
[[nodiscard]] DivLevels tileDivLevels(std::span<const PaletteTable::Entry> colours, std::size_t period,
                                      LevelScale scale);

// The whole output file for the conversion, final CR LF included; empty for
// Conversion::None. Entries the table lacks are written as black.
[[nodiscard]] std::string convertPalette(std::span<const PaletteTable::Entry> entries, Conversion conversion);
[[nodiscard]] inline std::string convertPalette(const PaletteTable& table, Conversion conversion)
{
    return convertPalette(table.entries(), conversion);
}

} // namespace corvane
