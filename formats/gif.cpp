// GIF 87a and 89a: the palette is read by hand, since it precedes every
// compressed byte; giflib writes the image.
#include "gif.h"

#include "binary.h"
#include "grid.h"
#include "levels.h"

#include <gif_lib.h>

#include <array>
#include <memory>

namespace corvane::formats {

extern const Format GifFormat;

namespace {

using namespace gif;

constexpr int ColourResolution = 8; // bits a level

bool detect(const Head& head)
{
    return isGif(head.bytes);
}

// The table announced by a descriptor's packed byte: 2 to 256 entries.
Problem readTable(ByteSource& source, std::uint8_t packed, Palette& palette)
{
    const std::size_t count = std::size_t{2} << (packed & 7);
    std::array<std::uint8_t, 768> levels;
    if (!readAll(source, levels.data(), count * 3))
        return CutInTable;
    palette = Palette{};
    palette.kind = "Palette d'une image GIF";
    palette.colours = unpackColours(levels.data(), count);
    return std::nullopt;
}

// Passes an extension's sub-blocks, up to the empty one that ends them.
bool skipSubBlocks(ByteSource& source)
{
    for (;;) {
        std::uint8_t size = 0;
        if (!readAll(source, &size, 1))
            return false;
        if (size == 0)
            return true;
        if (!skip(source, size))
            return false;
    }
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, ScreenBytes> screen;
    if (!readAll(source, screen.data(), screen.size()) ||
        !detect(Head{std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())}))
        return Unreadable;
    if ((screen[10] & HasTable) != 0)
        return readTable(source, screen[10], palette);
    // No global table: the first image's own, after any extensions.
    for (;;) {
        std::uint8_t introducer = 0;
        if (!readAll(source, &introducer, 1))
            return NoTable;
        if (introducer == ExtensionIntroducer) {
            std::uint8_t label = 0;
            if (!readAll(source, &label, 1) || !skipSubBlocks(source))
                return NoTable;
        } else if (introducer == ImageIntroducer) {
            std::array<std::uint8_t, ImageBytes> image;
            if (!readAll(source, image.data(), image.size()))
                return Unreadable;
            if ((image[8] & HasTable) == 0)
                return NoTable;
            return readTable(source, image[8], palette);
        } else {
            return introducer == Trailer ? NoTable : Unreadable;
        }
    }
}

struct Writing {
    std::string out;
    bool outOfMemory = false;
};

int writeToString(GifFileType* gif, const GifByteType* data, int length)
{
    auto* writing = static_cast<Writing*>(gif->UserData);
    try {
        writing->out.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        writing->outOfMemory = true;
        return 0;
    }
    return length;
}

// Closing writes the trailer and frees what giflib holds, on success or not.
struct CloseGif {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

// The grid's image for `count` colours, with a black table of 2^bits entries;
// false when giflib fails.
bool encodeGrid(std::size_t count, int bits, std::string& out)
{
    const std::array<GifColorType, 256> black{};
    const std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> table(GifMakeMapObject(1 << bits, black.data()),
                                                                             GifFreeMapObject);
    Grid grid = colourGrid(count);
    Writing writing;
    {
        std::unique_ptr<GifFileType, CloseGif> gif(EGifOpen(&writing, writeToString, nullptr));
        if (table == nullptr || gif == nullptr)
            return false;
        EGifSetGifVersion(gif.get(), true);
        const auto width = static_cast<int>(grid.width);
        const auto height = static_cast<int>(grid.height);
        if (EGifPutScreenDesc(gif.get(), width, height, ColourResolution, 0, table.get()) == GIF_ERROR ||
            EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
            return false;
        for (int y = 0; y < height; ++y)
            if (EGifPutLine(gif.get(), grid.pixels.data() + std::size_t(y) * grid.width, width) == GIF_ERROR)
                return false;
    }
    if (writing.outOfMemory)
        return false;
    out = std::move(writing.out);
    return true;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, GifFormat.maxColours))
        return problem;
    const std::size_t count = palette.colours.size();
    int bits = 1;
    while ((std::size_t{1} << bits) < count)
        ++bits;
    // The compressed image depends on the colour count alone: giflib encodes
    // it once for a batch of palettes of one size, and each palette fills the
    // table, which always follows the 13-byte screen descriptor.
    thread_local std::size_t encodedCount = 0;
    thread_local std::string encoded;
    if (encodedCount != count) {
        encodedCount = 0;
        if (!encodeGrid(count, bits, encoded))
            return std::string("mémoire insuffisante pour écrire l'image GIF");
        encodedCount = count;
    }
    std::string bytes = encoded;
    // The table rounds up to a power of two: black after the last colour.
    packColours(palette.colours, bytes.data() + ScreenBytes);
    out = std::move(bytes);
    return std::nullopt;
}

} // namespace

extern const Format GifFormat{"gif", ".gif", "GIF", 256, Gif89.size(), detect, read, write};

} // namespace corvane::formats
