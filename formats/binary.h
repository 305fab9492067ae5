#pragma once

// Numbers of fixed size in binary formats, and bytes passed over.

#include "byte_source.h"
#include "palette_table.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::formats {

[[nodiscard]] std::uint32_t littleEndian(const std::uint8_t* bytes, std::size_t size);
[[nodiscard]] std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t size);
void appendLittleEndian(std::string& out, std::uint32_t value, std::size_t size);
void appendBigEndian(std::string& out, std::uint32_t value, std::size_t size);

// A swatch's name as Adobe's formats write it: "#rrggbb" and a terminating
// zero, in UTF-16 big-endian units.
inline constexpr std::uint32_t ColourNameUnits = 8;
void appendColourName(std::string& out, const PaletteTable::Entry& colour);

// Passes n bytes; false when the input ends first.
[[nodiscard]] bool skip(ByteSource& source, std::uint64_t n);

// Reads all n bytes; false when the input ends first.
[[nodiscard]] bool readAll(ByteSource& source, std::uint8_t* bytes, std::size_t n);

} // namespace corvane::formats
