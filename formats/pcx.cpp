// ZSoft PCX: a 256-colour image keeps its palette after the pixels, the
// others in the header.
#include "pcx.h"

#include "binary.h"
#include "grid.h"
#include "levels.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace corvane::formats {

extern const Format PcxFormat, VgaFormat;

namespace {

using namespace pcx;

constexpr std::uint16_t DotsPerInch = 72;

bool detect(const Head& head)
{
    return head.bytes.size() > PlanesAt && headerFits(reinterpret_cast<const std::uint8_t*>(head.bytes.data()));
}

Palette pcxPalette(const std::uint8_t* levels, std::size_t count)
{
    Palette palette;
    palette.kind = "Palette d'une image PCX";
    palette.colours = unpackColours(levels, count);
    return palette;
}

// The palette ends the file: the pixels before it are passed unread where the
// source can seek, and otherwise read through in large reads, keeping only
// the last TailBytes before the buffer fills up again.
Problem readTail(ByteSource& source, Palette& palette)
{
    if (const std::optional<std::uint64_t> left = source.remaining(); left && *left > TailBytes)
        source.skipAhead(*left - TailBytes);
    constexpr std::size_t BufferBytes = TailBytes + 65536;
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[BufferBytes]); // left uninitialised: read into
    std::size_t end = 0;
    for (;;) {
        if (end == BufferBytes) {
            std::memmove(buffer.get(), buffer.get() + end - TailBytes, TailBytes);
            end = TailBytes;
        }
        const std::size_t got = source.read(reinterpret_cast<char*>(buffer.get() + end), BufferBytes - end);
        if (got == 0)
            break;
        end += got;
    }
    const std::uint8_t* tail = buffer.get() + end - std::min(end, TailBytes);
    if (end < TailBytes || tail[0] != PaletteMark)
        return NoEndPalette;
    palette = pcxPalette(tail + 1, 256);
    return std::nullopt;
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, HeaderBytes> header;
    if (!readAll(source, header.data(), header.size()))
        return CutInHeader;
    if (!headerFits(header.data()))
        return Unreadable;
    const std::uint8_t bits = header[3];
    const std::uint8_t planes = header[PlanesAt];
    if (hasEndPalette(header.data()))
        return readTail(source, palette);
    // Several 8-bit planes hold the colours themselves.
    if (bits == 8 && planes > 1)
        return "image PCX sans palette (" + std::to_string(planes) + " plans de 8 bits)";
    palette = pcxPalette(header.data() + HeaderPaletteAt, HeaderColours);
    return std::nullopt;
}

// Version 5, 8 bits, 1 plane, each row run-length encoded on its own; the
// grid's width is even, as a row's byte count must be.
Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, PcxFormat.maxColours))
        return problem;
    const Grid grid = colourGrid(palette.colours.size());
    std::string bytes;
    const auto put = [&bytes](std::size_t value, std::size_t size) {
        appendLittleEndian(bytes, static_cast<std::uint32_t>(value), size);
    };
    bytes += {static_cast<char>(Manufacturer), static_cast<char>(LastVersion), static_cast<char>(RunLength), 8};
    put(0, 4); // left, top
    put(grid.width - 1, 2);
    put(grid.height - 1, 2);
    put(DotsPerInch, 2);
    put(DotsPerInch, 2);
    bytes.append(HeaderColours * 3 + 1, '\0'); // the header's palette unused, a reserved byte
    bytes.push_back(1);                        // planes
    put(grid.width, 2);                        // bytes a row
    put(1, 2);                                 // colour, not grey
    bytes.resize(HeaderBytes, '\0');
    for (std::uint32_t y = 0; y < grid.height; ++y)
        appendRow(bytes, grid.row(y), grid.width);
    bytes.push_back(static_cast<char>(PaletteMark));
    const std::size_t levelsAt = bytes.size();
    bytes.resize(levelsAt + TailBytes - 1, '\0'); // black after the last colour
    packColours(palette.colours, bytes.data() + levelsAt);
    out = std::move(bytes);
    return std::nullopt;
}

} // namespace

bool pcx::headerFits(const std::uint8_t* header)
{
    const std::uint8_t bits = header[3];
    return header[0] == Manufacturer && header[1] <= LastVersion && header[2] == RunLength &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8) && header[PlanesAt] >= 1 && header[PlanesAt] <= 4;
}

bool pcx::hasEndPalette(const std::uint8_t* header)
{
    return header[3] == 8 && header[PlanesAt] == 1 && header[1] == LastVersion;
}

void pcx::appendRow(std::string& out, const std::uint8_t* row, std::size_t width)
{
    for (std::size_t x = 0; x < width;) {
        std::size_t run = 1;
        while (x + run < width && run < MostRun && row[x + run] == row[x])
            ++run;
        if (run > 1 || row[x] >= RunFlag)
            out.push_back(static_cast<char>(RunFlag | run));
        out.push_back(static_cast<char>(row[x]));
        x += run;
    }
}

extern const Format PcxFormat{"pcx", ".pcx", "PCX", 256, PlanesAt + 1, detect, read, write, &VgaFormat};

} // namespace corvane::formats
