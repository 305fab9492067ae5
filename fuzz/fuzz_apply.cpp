// A palette put into arbitrary bytes, both ways, whatever format they are
// taken for: the first byte picks the mode and the palette. What is written
// keeps the file's size when only its table changes, and a recoloured PNG
// reads back whole. The page's previews of the input and of what is written
// are decoded too, and hold 4 bytes a pixel.

#include "applying.h"
#include "fuzz_support.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

namespace {

// Palettes of 1, 2, 24 and 256 colours, of 8-bit or 6-bit levels.
apply::Palette paletteFor(std::uint8_t choice)
{
    static const std::vector<apply::Palette> palettes = [] {
        std::vector<apply::Palette> all;
        for (const std::size_t count : {1, 2, 24, 256}) {
            for (const bool sixBit : {false, true}) {
                apply::Palette palette;
                palette.sixBit = sixBit;
                for (std::size_t k = 0; k < count; ++k) {
                    const auto level = [&](std::size_t factor) {
                        return static_cast<std::int16_t>(sixBit ? (k * factor) % 64 * 4 : (k * factor) % 256);
                    };
                    palette.colours.push_back({level(37), level(91), level(13)});
                }
                all.push_back(palette);
            }
        }
        return all;
    }();
    return palettes[choice % palettes.size()];
}

// The first image's pixels, when it has one, are as many as it says.
void previewed(ByteSource& source)
{
    apply::Preview image;
    image.mostPixels = std::uint64_t{1} << 18;
    if (!apply::previewImage(source, nullptr, image))
        require(image.rgba.size() == std::size_t{4} * image.width * image.height, "a preview of the wrong size");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const apply::Mode mode = bytes[0] & 1 ? apply::Mode::Remap : apply::Mode::KeepIndices;
    const apply::Palette palette = paletteFor(static_cast<std::uint8_t>(bytes[0] >> 1));
    const std::string_view data(reinterpret_cast<const char*>(bytes) + 1, size - 1);

    ChunkedSource before(data, 1 + bytes[0] % 61);
    previewed(before);
    ChunkedSource source(data, 1 + bytes[0] % 61);
    apply::StringSink out;
    std::vector<std::string> warnings;
    if (apply::applyPalette(source, nullptr, palette, mode, out, warnings))
        return 0;
    require(!out.content.empty(), "nothing written");
    MemorySource after(out.content);
    previewed(after);
    const bool png = data.starts_with("\x89PNG");
    const bool div = data.starts_with("fpg") || data.starts_with("map") || data.starts_with("fnt");
    if (mode == apply::Mode::KeepIndices && (png || div))
        require(out.content.size() == data.size(), "keeping the indices changed the file's size");
    if (mode == apply::Mode::Remap && png) {
        MemorySource again(out.content);
        apply::StringSink twice;
        require(!apply::applyPalette(again, nullptr, palette, mode, twice, warnings),
                "a recoloured PNG does not read back");
    }
    return 0;
}
