#pragma once

// Levels between the 6-bit and 8-bit formats, by the window's own rules, and
// in and out of the packed bytes that binary tables hold.

#include "div_pal.h"
#include "format.h"
#include "messages.h"

#include <cstdint>
#include <vector>

namespace corvane::formats {

// The 768 level bytes a 6-bit format gets: a 6-bit palette's levels as they
// were read; 8-bit levels by the window's level rule. 256 colours as they
// are, 16 repeated as the window repeats them, any other count up to 256
// followed by black. More than `most` colours (at most 256) is refused.
Problem sixBitLevels(const Palette& palette, std::size_t most, DivLevels& levels);

// Refuses a palette with a level outside 0..255, naming the entry, and one of
// more than `most` colours.
Problem checkEightBit(const Palette& palette, std::size_t most);

// `count` colours from packed bytes, red, green and blue each; every level
// times `factor` (4: 6-bit levels, held as the window holds them).
[[nodiscard]] std::vector<PaletteTable::Entry> unpackColours(const std::uint8_t* bytes, std::size_t count,
                                                             int factor = 1);

// The colours packed from `out` on, red, green and blue each: levels 0..255 only.
void packColours(const std::vector<PaletteTable::Entry>& colours, char* out);

} // namespace corvane::formats
