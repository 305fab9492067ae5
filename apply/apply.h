#pragma once

// Putting a palette into the files that use it: each colour table rewritten
// in place (the indices kept), or every pixel recoloured to the palette's
// nearest colour. Plain C++, for the command line and the page alike.

#include "byte_source.h"
#include "format.h"

#include <cstddef>
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

// One format's way of putting a palette into its files.
struct Recolourer {
    std::string_view format; // the formats' table's name: "fpg" is read as "div"
    // Reads the whole input from `in` and writes the recoloured file to `out`.
    // A refusal is French text to follow the file's name; nothing may have
    // been written usefully then (the caller drops the output).
    Problem (*apply)(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome);
};

// The recolouring of files in the format the formats' table names so;
// nullptr for a format whose files hold no pixels.
[[nodiscard]] const Recolourer* recolourerFor(std::string_view format);

} // namespace corvane::apply
