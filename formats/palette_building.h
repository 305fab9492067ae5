#pragma once

// A palette built a colour at a time, as a reader finds them.

#include "format.h"

namespace corvane::formats {

// Adds a colour that the file gave, refusing the one past MaxColours.
[[nodiscard]] Problem addColour(Palette& palette, const PaletteTable::Entry& colour);

// The palette read, once the file has given every colour: refused if it has none.
[[nodiscard]] Problem handOver(Palette& read, Palette& palette);

} // namespace corvane::formats
