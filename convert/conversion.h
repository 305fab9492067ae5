#pragma once

#include "kind_caption.h"
#include "palette_table.h"

#include <cstdint>
#include <string>

namespace corvane {

// A JASC-PAL component (8-bit scale) to a DIV level: c / 4, less 1 when
// positive, rounded half to even; saturated to a byte.
[[nodiscard]] std::uint8_t divLevel(std::int16_t component);

// The whole output file for the conversion, final CR LF included; empty for
// Conversion::None. Entries the table lacks are written as black.
[[nodiscard]] std::string convertPalette(const PaletteTable& table, Conversion conversion);

} // namespace corvane
