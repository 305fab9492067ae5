#pragma once

// What the recolourings of gif, bmp, pcx and lbm share: the input read whole,
// colour tables written from the palette, and a table's indices sent to the
// palette's nearest colours.

#include "apply.h"
#include "apply_texts.h"
#include "nearest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::apply {

using Colour = PaletteTable::Entry;

inline Problem written(ByteSink& out, std::string_view bytes)
{
    return out.write(bytes) ? std::nullopt : Problem(std::string(WriteFailed));
}

// These images are small beside memory: each is read whole, and every size it
// announces is checked against the bytes it has before anything is allocated.
inline std::string readWhole(ByteSource& in)
{
    std::string bytes;
    if (const std::optional<std::uint64_t> left = in.remaining(); left && *left < (std::uint64_t{1} << 31))
        bytes.reserve(static_cast<std::size_t>(*left));
    char buffer[65536];
    while (const std::size_t got = in.read(buffer, sizeof buffer))
        bytes.append(buffer, got);
    return bytes;
}

inline std::uint8_t levelByte(std::int16_t level)
{
    return static_cast<std::uint8_t>(std::clamp<std::int16_t>(level, 0, 255));
}

// The palette's colour i, black past its last.
inline std::array<std::uint8_t, 3> paletteColour(const Palette& palette, std::size_t i)
{
    if (i >= palette.colours.size())
        return {0, 0, 0};
    const Colour& colour = palette.colours[i];
    return {levelByte(colour[Red]), levelByte(colour[Green]), levelByte(colour[Blue])};
}

// How a file lays out its table's entries.
struct TableLayout {
    std::size_t entryBytes = 3; // a fourth byte, when there is one, is left as it was
    bool blueFirst = false;     // BMP's order
};

// `count` entries from `at` on become the palette's first colours, black after.
inline void putPalette(const Palette& palette, char* at, std::size_t count, TableLayout layout = {})
{
    for (std::size_t i = 0; i < count; ++i, at += layout.entryBytes) {
        const std::array<std::uint8_t, 3> rgb = paletteColour(palette, i);
        for (std::size_t c = 0; c < 3; ++c)
            at[c] = static_cast<char>(rgb[layout.blueFirst ? 2 - c : c]);
    }
}

// The colours of a table in a file.
inline std::vector<Colour> tableColours(const char* at, std::size_t count, TableLayout layout = {})
{
    std::vector<Colour> colours(count);
    for (std::size_t i = 0; i < count; ++i, at += layout.entryBytes)
        for (std::size_t c = 0; c < 3; ++c)
            colours[i][layout.blueFirst ? 2 - c : c] = static_cast<std::uint8_t>(at[c]);
    return colours;
}

// Where each index of a table goes: the palette's colour nearest to the one it
// shows (black past the table's end), the reserved one to itself.
inline std::array<std::uint8_t, 256> nearestOf(const std::vector<Colour>& table, Nearest& nearest,
                                               std::optional<std::size_t> reserved = {})
{
    std::array<std::uint8_t, 256> to{};
    for (std::size_t i = 0; i < to.size(); ++i) {
        const Colour colour = i < table.size() ? table[i] : Colour{0, 0, 0};
        to[i] = reserved == i
                    ? static_cast<std::uint8_t>(i)
                    : nearest.index(levelByte(colour[Red]), levelByte(colour[Green]), levelByte(colour[Blue]));
    }
    return to;
}

// The least number of bits a pixel that can index `count` colours; 1 at least.
inline int bitsFor(std::size_t count)
{
    int bits = 1;
    while ((std::size_t{1} << bits) < count)
        ++bits;
    return bits;
}

// An ILBM or PBM image's pixels as the colours they show, alpha 0 where
// transparent, row by row: the tests read them so, no other reader at hand.
Problem lbmColours(std::string_view bytes, std::uint32_t& width, std::vector<std::array<std::uint8_t, 4>>& rgba);

} // namespace corvane::apply
