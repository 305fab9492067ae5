#pragma once

// The palette formats that corvane-convert reads and writes beyond the
// window's two, and the one table that lists them all. Plain C++: the window
// never links this library.

#include "byte_source.h"
#include "div_pal.h"
#include "palette_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::formats {

// A palette of more colours is refused by every reader.
inline constexpr std::size_t MaxColours = 32767;

// A palette as read from any format.
struct Palette {
    // 8-bit scale, as the window's table holds it: a 6-bit level is held times 4.
    std::vector<PaletteTable::Entry> colours;
    // Read as 6-bit levels: a 6-bit format gets them back unchanged.
    bool sixBit = false;
    // A DIV-family file's colour-range block, when the file holds it whole.
    std::optional<std::array<std::uint8_t, DivRangeBytes>> ranges;
    // What the file is, in French, for --type: "Palette GIMP".
    std::string kind;
};

// How many bytes of an input detection sees.
inline constexpr std::size_t HeadBytes = 65536;
// How many an input's first read takes: a DIV palette whole with its range
// block, and every signature, lie in them.
inline constexpr std::size_t FirstBytes = DivRangeOffset + DivRangeBytes;

// The first bytes of an input, and whether they are all of it.
struct Head {
    std::string_view bytes;
    bool whole = false;
};

// What went wrong, in French, to follow the file's name; nothing when all went well.
using Problem = std::optional<std::string>;

// What a writer may need besides the palette.
struct WriteContext {
    std::string name; // the input's file name without its extension
};

struct Format {
    std::string_view name;      // as given to --from and --to
    std::string_view extension; // the usual one, with its dot: ".gpl"
    std::string_view title;     // for --help and the page: "GIMP"
    std::size_t maxColours;     // the most the writer takes
    // Detection looks at no more than this many first bytes (a signature);
    // 0: it needs the whole head, for the input's size or all its lines.
    std::size_t signatureBytes;
    bool (*detect)(const Head& head);
    // Replaces the palette. Reads no further than the palette's end.
    Problem (*read)(ByteSource& source, Palette& palette);
    // The whole output file; refuses what the format cannot hold.
    Problem (*write)(const Palette& palette, const WriteContext& context, std::string& out);
    // A format tried later whose detection still wins over this one's: an
    // input both accept is not this one's. nullptr: none.
    const Format* yieldsTo = nullptr;

    // Read-only formats have no writer.
    [[nodiscard]] bool writes() const { return write != nullptr; }
};

// Every format, in the order detection tries them.
[[nodiscard]] std::span<const std::reference_wrapper<const Format>> allFormats();
[[nodiscard]] const Format* formatNamed(std::string_view name);
// The format's detection accepts the head, and the one it yields to does not.
[[nodiscard]] bool detects(const Format& format, const Head& head);
// The first format that detects the head; nullptr if none does.
[[nodiscard]] const Format* detectFormat(const Head& head);
// The same over the formats known by a signature within the head's bytes,
// which come first in the order: nullptr when the rest must decide.
[[nodiscard]] const Format* detectSignature(const Head& head);

} // namespace corvane::formats
