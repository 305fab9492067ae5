#pragma once

// Putting a palette into the files that use it: each colour table rewritten
// in place (the indices kept), or every pixel recoloured to the palette's
// nearest colour. Plain C++, for the command line and the page alike.

#include "byte_source.h"
#include "format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::apply {

using formats::Palette;
using formats::Problem;

enum class Mode {
    KeepIndices, // entry i of each table becomes the palette's colour i
    Remap,       // each pixel takes the palette's colour nearest to the one it shows
};

// Where a recoloured file goes, a piece at a time: a big FPG is never held whole.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False once a write has failed; the caller asks the sink why.
    virtual bool write(std::string_view bytes) = 0;
};

// A sink that keeps everything in memory, for the page and the tests.
class StringSink final : public ByteSink {
public:
    bool write(std::string_view bytes) override
    {
        content.append(bytes);
        return true;
    }
    std::string content;
};

// What a format's recolouring noticed that the user is told of, as warnings.
struct Outcome {
    // Keep mode: the most entries any of the input's colour tables held.
    std::size_t tableColours = 0;
    // Remap mode: partial alpha that the output cannot keep.
    bool partialAlphaLost = false;
};

// A file's first image as it shows, for the page's before and after: 4 bytes
// a pixel (red, green, blue, alpha), row after row from the top; a
// transparent pixel is all zeros.
struct Preview {
    std::uint32_t width = 0, height = 0;
    std::string rgba;
    // The most pixels resize() takes: 16 Mi (64 MiB of RGBA) unless the
    // caller bounds it tighter (the fuzzer, which would otherwise spend its
    // time and memory on images it claims but does not hold).
    std::uint64_t mostPixels = std::uint64_t{16} << 20;

    // Sizes the image, every pixel transparent; refused past the bound of
    // what a preview may hold.
    Problem resize(std::uint64_t columns, std::uint64_t rows);
    void put(std::size_t pixel, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
    {
        char* at = rgba.data() + 4 * pixel;
        at[0] = static_cast<char>(red);
        at[1] = static_cast<char>(green);
        at[2] = static_cast<char>(blue);
        at[3] = static_cast<char>(alpha);
    }
};

// One format's way of putting a palette into its files.
struct Recolourer {
    std::string_view format; // the formats' table's name: "fpg" is read as "div"
    // Reads the whole input from `in` and writes the recoloured file to `out`.
    // A refusal is French text to follow the file's name; nothing may have
    // been written usefully then (the caller drops the output).
    Problem (*apply)(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome);
    // Decodes the file's first image (a FPG's first graphic, a GIF's first
    // frame) through the same reading as `apply`.
    Problem (*preview)(ByteSource& in, Preview& image);
};

// The recolouring of files in the format the formats' table names so;
// nullptr for a format whose files hold no pixels.
[[nodiscard]] const Recolourer* recolourerFor(std::string_view format);

} // namespace corvane::apply
