// Windows and OS/2 bitmaps: the colour table after the headers.
#include "binary.h"
#include "grid.h"
#include "levels.h"

#include <algorithm>
#include <array>

namespace corvane::formats {

extern const Format BmpFormat;

namespace {

constexpr std::string_view Magic = "BM";
constexpr std::size_t FileHeaderBytes = 14;
constexpr std::size_t CoreHeaderBytes = 12; // OS/2: 16-bit sizes, 3-byte entries
constexpr std::size_t InfoHeaderBytes = 40;
constexpr std::array<std::uint32_t, 6> HeaderSizes{CoreHeaderBytes, InfoHeaderBytes, 52, 56, 108, 124};
constexpr std::size_t MostHeaderBytes = 124;
constexpr std::size_t SignatureBytes = FileHeaderBytes + 4;
constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dots an inch

bool detect(const Head& head)
{
    if (!head.bytes.starts_with(Magic) || head.bytes.size() < SignatureBytes)
        return false;
    const std::uint32_t size =
        littleEndian(reinterpret_cast<const std::uint8_t*>(head.bytes.data()) + FileHeaderBytes, 4);
    return std::find(HeaderSizes.begin(), HeaderSizes.end(), size) != HeaderSizes.end();
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, FileHeaderBytes + MostHeaderBytes> header;
    if (!readAll(source, header.data(), SignatureBytes) ||
        !detect(Head{std::string_view(reinterpret_cast<const char*>(header.data()), SignatureBytes)}))
        return std::string("image BMP illisible");
    const std::uint8_t* info = header.data() + FileHeaderBytes;
    const std::size_t infoBytes = littleEndian(info, 4);
    if (!readAll(source, header.data() + SignatureBytes, infoBytes - 4))
        return std::string("image BMP coupée dans son en-tête");
    const bool core = infoBytes == CoreHeaderBytes;
    const std::uint32_t bits = littleEndian(info + (core ? 10 : 14), 2);
    if (bits != 1 && bits != 4 && bits != 8)
        return "image BMP sans palette (" + std::to_string(bits) + " bits par pixel)";
    const std::size_t most = std::size_t{1} << bits;
    const std::size_t used = core ? 0 : littleEndian(info + 32, 4);
    if (used > most)
        return "image BMP de " + std::to_string(bits) + " bits par pixel annonçant " + colourCount(used);
    const std::size_t count = used == 0 ? most : used;
    const std::size_t entryBytes = core ? 3 : 4; // blue, green, red, then a byte left unused
    std::array<std::uint8_t, 256 * 4> table;
    if (!readAll(source, table.data(), count * entryBytes))
        return "table de couleurs BMP coupée : " + colourCount(count) + " annoncées";
    palette = Palette{};
    palette.kind = "Palette d'une image BMP";
    palette.colours.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* entry = table.data() + k * entryBytes;
        palette.colours[k] = {entry[2], entry[1], entry[0]};
    }
    return std::nullopt;
}

// An 8-bit bitmap: rows from the bottom up, each a multiple of 4 bytes since
// the grid's width is a multiple of 16.
Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, BmpFormat.maxColours))
        return problem;
    const std::size_t count = palette.colours.size();
    const Grid grid = colourGrid(count);
    const std::size_t pixelsAt = FileHeaderBytes + InfoHeaderBytes + 4 * count;
    const std::size_t imageBytes = grid.pixels.size();
    std::string bytes;
    bytes.reserve(pixelsAt + imageBytes);
    const auto put = [&bytes](std::size_t value, std::size_t size) {
        appendLittleEndian(bytes, static_cast<std::uint32_t>(value), size);
    };
    bytes.append(Magic);
    put(pixelsAt + imageBytes, 4);
    put(0, 4); // reserved
    put(pixelsAt, 4);
    put(InfoHeaderBytes, 4);
    put(grid.width, 4);
    put(grid.height, 4);
    put(1, 2); // planes
    put(8, 2); // bits a pixel
    put(0, 4); // not compressed
    put(imageBytes, 4);
    put(PixelsPerMetre, 4);
    put(PixelsPerMetre, 4);
    put(count, 4); // colours used
    put(0, 4);     // all of them important
    for (const PaletteTable::Entry& colour : palette.colours)
        bytes +=
            {static_cast<char>(colour[Blue]), static_cast<char>(colour[Green]), static_cast<char>(colour[Red]), '\0'};
    for (std::uint32_t y = grid.height; y-- > 0;)
        bytes.append(reinterpret_cast<const char*>(grid.row(y)), grid.width);
    out = std::move(bytes);
    return std::nullopt;
}

} // namespace

extern const Format BmpFormat{"bmp", ".bmp", "BMP", 256, SignatureBytes, detect, read, write};

} // namespace corvane::formats
