#pragma once

#include "byte_source.h"
#include "palette_table.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr std::size_t DivEntryCount = 256;
inline constexpr std::size_t DivLevelOffset = 8;
inline constexpr std::size_t DivLevelBytes = DivEntryCount * 3;
// The colour-range block after the levels: 16 ranges of 36 bytes.
inline constexpr std::size_t DivRangeOffset = DivLevelOffset + DivLevelBytes;
inline constexpr std::size_t DivRangeBytes = 576;

// The file's first line, ended by 0x1A.
inline constexpr std::string_view DivMagic = "pal";
// The signature, 0x1A, CR LF, 0, then the version byte (written as 0).
inline constexpr std::array<char, DivLevelOffset> DivHeaderBytes = [] {
    std::array<char, DivLevelOffset> bytes{};
    constexpr std::string_view lineEnd{"\x1A\r\n"};
    std::copy(lineEnd.begin(), lineEnd.end(), std::copy(DivMagic.begin(), DivMagic.end(), bytes.begin()));
    return bytes;
}();
inline constexpr std::string_view DivHeader{DivHeaderBytes.data(), DivHeaderBytes.size()};
// What the window writes where DIV's colour-range block begins. DIV lays
// each of its 16 ranges out as a count of colours, a type, a fixed flag and a
// black byte, then 32 colour indices: these four bytes open the first range
// (16 colours, type 0, not fixed, black 1). The window's files have always
// carried them, followed by its colour-index list instead of the rest of the
// block; the window itself never reads them back.
inline constexpr std::array<std::uint8_t, 4> DivRangeHeader{0x10, 0x00, 0x00, 0x01};

// Levels in entry order: red, green, blue of entry 0, then entry 1, ...
using DivLevels = std::array<std::uint8_t, DivLevelBytes>;

// The two forms of the colour-index list that follows the range header.
enum class ColourIndexList { Colours16, Colours256 };

using DivRanges = std::array<std::uint8_t, DivRangeBytes>;

// The two rules a DIV file's levels are read by.
enum class DivReading {
    // The window's, tolerant of a short file: a level byte past its end
    // repeats the last one read (0 if none could be). Reads no further than
    // the last level byte.
    Tolerant,
    // corvane-convert's: a file cut before the end of its levels is refused;
    // the range block after them is read too, and kept when whole.
    Strict,
};

// What follows a DIV file's header.
struct DivBody {
    std::array<PaletteTable::Entry, DivEntryCount> colours; // each level times 4
    std::optional<DivRanges> ranges;                        // Strict only
};

// Reads the levels from the source's next byte (where a palette file's
// header ends), by either rule; nothing when the Strict rule refuses the file.
[[nodiscard]] std::optional<DivBody> readDivBody(ByteSource& source, DivReading rule);

// The window's reader: the header, then the levels by the Tolerant rule;
// replaces the table with 256 entries.
void readDivTolerant(ByteSource& source, PaletteTable& table);

// The window's range block: the range header, then the colour-index list in
// the given form (20 or 260 bytes, where DIV's own block has 576).
[[nodiscard]] std::vector<std::uint8_t> windowRangeBlock(ColourIndexList form);

// A DIV palette file's bytes: its header, the levels, then the range block it
// is given, as it is: the window's short one (a file of 796 or 1036 bytes, to
// which the window's Convert adds a CR LF) or a whole one of DivRangeBytes.
[[nodiscard]] std::string buildDivContent(const DivLevels& levels, std::span<const std::uint8_t> rangeBlock);

} // namespace corvane
