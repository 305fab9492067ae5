// One reader of corvane-convert's other formats on arbitrary bytes, built once
// per format (CORVANE_FUZZ_FORMAT names it): what it reads is within bounds,
// and what the format's writer, if it has one, makes of it reads back the same.

#include "format.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#ifndef CORVANE_FUZZ_FORMAT
#error "CORVANE_FUZZ_FORMAT must name the format"
#endif

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static const formats::Format* const format = formats::formatNamed(CORVANE_FUZZ_FORMAT);
    require(format != nullptr, "no such format");
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    const std::size_t chunk = size > 0 ? 1 + bytes[0] % 64 : 1;

    ChunkedSource source(data, chunk);
    formats::Palette palette;
    if (format->read(source, palette))
        return 0;
    require(!palette.colours.empty() && palette.colours.size() <= formats::MaxColours, "colour count");
    require(!palette.kind.empty(), "no kind");

    std::string written;
    if (format->write == nullptr || format->write(palette, {"fuzz"}, written))
        return 0;
    MemorySource again(written);
    formats::Palette back;
    require(!format->read(again, back), "the format's own output does not read back");
    // A table of fixed size (gif's power of two, pcx's 256) comes back black after the last colour.
    std::vector<PaletteTable::Entry> padded = palette.colours;
    padded.resize(std::max(padded.size(), back.colours.size()), PaletteTable::Entry{0, 0, 0});
    require(back.colours == padded, "colours differ after writing and reading back");
    return 0;
}
