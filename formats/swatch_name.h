#pragma once

// What Adobe's two swatch formats (ase, aco) share.

#include "palette_table.h"

#include <cstdint>
#include <string>

namespace corvane::formats {

// A swatch's name as Adobe's formats write it: "#rrggbb" and a terminating
// zero, in UTF-16 big-endian units.
inline constexpr std::uint32_t ColourNameUnits = 8;
void appendColourName(std::string& out, const PaletteTable::Entry& colour);

} // namespace corvane::formats
