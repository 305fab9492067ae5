// ZSoft PCX: the palette rewritten where it lies (the 256 colours at the end,
// or the header's 16), or the pixels written again as 8 bits in one plane
// with the palette at the end.
#include "pcx.h"
#include "binary.h"
#include "indexed.h"

namespace corvane::apply {

extern const Recolourer PcxRecolourer;

namespace {

using formats::littleEndian;
using namespace formats::pcx;

struct Pcx {
    std::string_view bytes;
    std::uint8_t bits = 0, planes = 0;
    bool endPalette = false; // 256 colours after the pixels
    bool trueColour = false; // three planes of 8 bits: red, green, blue

    [[nodiscard]] const std::uint8_t* at(std::size_t offset) const
    {
        return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
    }
    [[nodiscard]] std::size_t tableAt() const { return endPalette ? bytes.size() - 768 : HeaderPaletteAt; }
    [[nodiscard]] std::size_t tableCount() const { return endPalette ? 256 : HeaderColours; }
};

Problem readHeader(std::string_view bytes, Pcx& pcx)
{
    pcx.bytes = bytes;
    if (bytes.size() < HeaderBytes)
        return CutInHeader;
    const std::uint8_t* header = pcx.at(0);
    if (!headerFits(header))
        return Unreadable;
    pcx.bits = header[3];
    pcx.planes = header[PlanesAt];
    pcx.endPalette = hasEndPalette(header);
    pcx.trueColour = pcx.bits == 8 && pcx.planes >= 3;
    if (pcx.endPalette && (bytes.size() < HeaderBytes + TailBytes || bytes[bytes.size() - TailBytes] != PaletteMark))
        return NoEndPalette;
    if (pcx.bits * pcx.planes > 8 && !pcx.trueColour)
        return Unreadable;
    return std::nullopt;
}

// The colours an index shows: a one-bit image is black and white whatever its header says.
std::vector<Colour> shownTable(const Pcx& pcx)
{
    if (pcx.bits == 1 && pcx.planes == 1)
        return {{0, 0, 0}, {255, 255, 255}};
    return tableColours(pcx.bytes.data() + pcx.tableAt(), pcx.tableCount());
}

// Each line's planes one after the other, run-length coded as one stream;
// each pixel made the palette's nearest index, or a true-colour one put in
// `shown` as it is, when there is one.
Problem readPixels(const Pcx& pcx, Nearest& nearest, std::uint32_t& width, std::uint32_t& height,
                   std::vector<std::uint8_t>& pixels, Preview* shown = nullptr)
{
    const std::uint32_t left = littleEndian(pcx.at(4), 2), top = littleEndian(pcx.at(6), 2);
    const std::uint32_t right = littleEndian(pcx.at(8), 2), bottom = littleEndian(pcx.at(10), 2);
    const std::size_t lineBytes = littleEndian(pcx.at(BytesALineAt), 2);
    if (right < left || bottom < top)
        return Unreadable;
    width = right - left + 1;
    height = bottom - top + 1;
    if (lineBytes * 8 < std::size_t{width} * pcx.bits)
        return Unreadable;
    const std::size_t end = pcx.endPalette ? pcx.bytes.size() - TailBytes : pcx.bytes.size();
    const std::size_t lineAll = lineBytes * pcx.planes;
    // A run of 63 bytes takes 2: no more can the data hold.
    const std::string cut =
        "image PCX coupée : " + std::to_string(width) + " × " + std::to_string(height) + " pixels annoncés";
    if (lineAll * height > (end - HeaderBytes) * (MostRun / 2 + 1))
        return cut;
    if (shown != nullptr) {
        if (Problem problem = shown->resize(width, height))
            return problem;
    }
    std::vector<std::uint8_t> decoded(lineAll * height);
    for (std::size_t at = HeaderBytes, into = 0; into < decoded.size();) {
        if (at == end)
            return cut;
        std::uint8_t byte = *pcx.at(at++);
        std::size_t run = 1;
        if (byte >= RunFlag) {
            if (at == end)
                return cut;
            run = std::min<std::size_t>(byte & MostRun, decoded.size() - into);
            byte = *pcx.at(at++);
        }
        std::fill_n(decoded.begin() + static_cast<std::ptrdiff_t>(into), run, byte);
        into += run;
    }
    const std::array<std::uint8_t, 256> to =
        pcx.trueColour ? std::array<std::uint8_t, 256>{} : nearestOf(shownTable(pcx), nearest);
    pixels.resize(std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* line = decoded.data() + lineAll * y;
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t& pixel = pixels[std::size_t{y} * width + x];
            if (pcx.trueColour && shown != nullptr) {
                shown->put(std::size_t{y} * width + x, line[x], line[lineBytes + x], line[2 * lineBytes + x]);
                continue;
            }
            if (pcx.trueColour) {
                pixel = nearest.index(line[x], line[lineBytes + x], line[2 * lineBytes + x]);
                continue;
            }
            const std::size_t bit = std::size_t{x} * pcx.bits;
            unsigned index = 0;
            for (unsigned plane = 0; plane < pcx.planes; ++plane)
                index |= ((line[plane * lineBytes + bit / 8] >> (8 - pcx.bits - bit % 8)) & ((1u << pcx.bits) - 1))
                         << (plane * pcx.bits);
            pixel = to[index];
        }
    }
    return std::nullopt;
}

// Version 5, 8 bits, one plane, each line run-length coded on its own and of
// an even number of bytes; the header's window and resolution kept.
Problem writeIndexed(const Pcx& pcx, std::uint32_t width, std::uint32_t height, std::vector<std::uint8_t>& pixels,
                     const Palette& palette, ByteSink& out)
{
    std::string bytes(pcx.bytes.substr(0, HeaderBytes));
    bytes[1] = static_cast<char>(LastVersion);
    bytes[3] = 8;
    std::fill(bytes.begin() + HeaderPaletteAt, bytes.begin() + PlanesAt, '\0');
    bytes[PlanesAt] = 1;
    const std::size_t lineBytes = width + width % 2;
    bytes[BytesALineAt] = static_cast<char>(lineBytes & 0xFF);
    bytes[BytesALineAt + 1] = static_cast<char>(lineBytes >> 8);
    bytes[68] = 1; // colour, not grey
    bytes[69] = 0;
    std::vector<std::uint8_t> line(lineBytes, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * width), width, line.begin());
        appendRow(bytes, line.data(), lineBytes);
    }
    bytes.push_back(static_cast<char>(PaletteMark));
    bytes.resize(bytes.size() + 768, '\0');
    putPalette(palette, bytes.data() + bytes.size() - 768, 256);
    return written(out, bytes);
}

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::string bytes = readWhole(in);
    Pcx pcx;
    if (Problem problem = readHeader(bytes, pcx))
        return problem;
    if (mode == Mode::KeepIndices && pcx.trueColour)
        return std::string(NoIndices);
    // Read in either mode, so that pixels cut short are refused in both.
    Nearest nearest(palette.colours);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    if (Problem problem = readPixels(pcx, nearest, width, height, pixels))
        return problem;
    if (mode == Mode::Remap)
        return writeIndexed(pcx, width, height, pixels, palette, out);
    putPalette(palette, bytes.data() + pcx.tableAt(), pcx.tableCount());
    outcome.tableColours = pcx.tableCount();
    return written(out, bytes);
}

// The pixels read as `apply` reads them, through the colours the file shows:
// each index goes to the first entry of its colour; true colour as it is.
Problem preview(ByteSource& in, Preview& image)
{
    const std::string bytes = readWhole(in);
    Pcx pcx;
    if (Problem problem = readHeader(bytes, pcx))
        return problem;
    const std::vector<Colour> table = pcx.trueColour ? std::vector<Colour>{} : shownTable(pcx);
    Nearest nearest(table);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    if (Problem problem = readPixels(pcx, nearest, width, height, pixels, &image))
        return problem;
    for (std::size_t i = 0; !pcx.trueColour && i < pixels.size(); ++i) {
        const Colour& colour = table[pixels[i]];
        image.put(i, levelByte(colour[Red]), levelByte(colour[Green]), levelByte(colour[Blue]));
    }
    return std::nullopt;
}

} // namespace

const Recolourer PcxRecolourer{"pcx", apply, preview};

} // namespace corvane::apply
