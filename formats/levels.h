#pragma once

// Levels between the 6-bit and 8-bit formats, by the window's own rules.

#include "div_pal.h"
#include "format.h"
#include "messages.h"

namespace corvane::formats {

// The 768 level bytes a 6-bit format gets: a 6-bit palette's levels as they
// were read; 8-bit levels by the window's level rule. 256 colours as they
// are, 16 repeated as the window repeats them, any other count up to 256
// followed by black. More than `most` colours (at most 256) is refused.
Problem sixBitLevels(const Palette& palette, std::size_t most, DivLevels& levels);

// Refuses a palette with a level outside 0..255, naming the entry, and one of
// more than `most` colours.
Problem checkEightBit(const Palette& palette, std::size_t most);

} // namespace corvane::formats
