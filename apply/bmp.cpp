// Windows and OS/2 bitmaps: the colour table rewritten in place, or the
// pixels (indexed, RLE or true colour) written again uncompressed over a
// table that is the palette.
#include "binary.h"
#include "indexed.h"
#include "messages.h"

#include <bit>

namespace corvane::apply {

extern const Recolourer BmpRecolourer;

namespace {

using formats::littleEndian;

constexpr std::size_t FileHeaderBytes = 14;
constexpr std::size_t CoreHeaderBytes = 12; // OS/2: 16-bit sizes, 3-byte entries
constexpr std::size_t InfoHeaderBytes = 40;
constexpr std::array<std::uint32_t, 6> HeaderSizes{CoreHeaderBytes, InfoHeaderBytes, 52, 56, 108, 124};
constexpr std::uint32_t Uncompressed = 0, Rle8 = 1, Rle4 = 2, BitFields = 3;
constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dots an inch
// A run-length coded image may describe no more pixels than this many a byte
// of its data: a run of 255 takes two.
constexpr std::uint64_t MostPixelsAByte = 256;

const std::string Unreadable = "image BMP illisible";

// What the headers say.
struct Bitmap {
    std::string_view bytes;
    bool core = false;
    std::uint32_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bits = 0, compression = 0;
    std::size_t tableAt = 0, tableCount = 0;
    std::size_t pixelsAt = 0;
    std::uint32_t resolution[2] = {PixelsPerMetre, PixelsPerMetre};

    [[nodiscard]] const std::uint8_t* at(std::size_t offset) const
    {
        return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
    }
    [[nodiscard]] TableLayout layout() const { return {core ? std::size_t{3} : 4, true}; }
};

Problem readHeaders(std::string_view bytes, Bitmap& bitmap)
{
    bitmap.bytes = bytes;
    if (bytes.size() < FileHeaderBytes + 4 || !bytes.starts_with("BM"))
        return Unreadable;
    const std::size_t infoBytes = littleEndian(bitmap.at(FileHeaderBytes), 4);
    if (std::find(HeaderSizes.begin(), HeaderSizes.end(), infoBytes) == HeaderSizes.end())
        return Unreadable;
    if (bytes.size() < FileHeaderBytes + infoBytes)
        return std::string("image BMP coupée dans son en-tête");
    const std::uint8_t* info = bitmap.at(FileHeaderBytes);
    bitmap.core = infoBytes == CoreHeaderBytes;
    const std::size_t size = bitmap.core ? 2 : 4;
    bitmap.width = littleEndian(info + 4, size);
    bitmap.height = littleEndian(info + 4 + size, size);
    bitmap.bits = littleEndian(info + 6 + 2 * size, 2);
    if (!bitmap.core) {
        bitmap.compression = littleEndian(info + 16, 4);
        bitmap.resolution[0] = littleEndian(info + 24, 4);
        bitmap.resolution[1] = littleEndian(info + 28, 4);
        // A negative height: the rows from the top down.
        if (bitmap.height > 0x80000000u) {
            bitmap.height = 0u - bitmap.height;
            bitmap.topDown = true;
        }
    }
    if (bitmap.width == 0 || bitmap.width >= 0x80000000u || bitmap.height == 0 || bitmap.height >= 0x80000000u)
        return Unreadable;
    bitmap.pixelsAt = littleEndian(bitmap.at(10), 4);
    bitmap.tableAt = FileHeaderBytes + infoBytes;
    if (bitmap.bits != 1 && bitmap.bits != 4 && bitmap.bits != 8)
        return std::nullopt;
    const std::size_t most = std::size_t{1} << bitmap.bits;
    const std::size_t used = bitmap.core ? 0 : littleEndian(info + 32, 4);
    if (used > most)
        return "image BMP de " + std::to_string(bitmap.bits) + " bits par pixel annonçant " +
               formats::colourCount(used);
    bitmap.tableCount = used == 0 ? most : used;
    if ((bytes.size() - bitmap.tableAt) / bitmap.layout().entryBytes < bitmap.tableCount)
        return "table de couleurs BMP coupée : " + formats::colourCount(bitmap.tableCount) + " annoncées";
    return std::nullopt;
}

// The picture, each pixel already the palette's index, rows from the top.
struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// One colour of a pixel, by its mask, on 8 bits as Pillow scales it.
std::uint8_t channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const std::uint32_t most = mask >> std::countr_zero(mask);
    const std::uint64_t value = (pixel & mask) >> std::countr_zero(mask);
    return static_cast<std::uint8_t>(value * 255 / most);
}

// Pixels as they lie: each row padded to 4 bytes. A true-colour pixel goes
// to `shown` as it is, when there is one, instead of to its nearest index.
Problem readRows(const Bitmap& bitmap, Nearest& nearest, Picture& picture, Preview* shown)
{
    const std::string_view bytes = bitmap.bytes;
    const std::uint64_t stride = (std::uint64_t{bitmap.width} * bitmap.bits + 31) / 32 * 4;
    if (bitmap.pixelsAt > bytes.size() || (bytes.size() - bitmap.pixelsAt) / stride < bitmap.height)
        return "image BMP coupée : " + std::to_string(bitmap.width) + " × " + std::to_string(bitmap.height) +
               " pixels annoncés";
    std::array<std::uint32_t, 3> masks{0xFF0000, 0xFF00, 0xFF};
    if (bitmap.bits == 16)
        masks = {0x7C00, 0x3E0, 0x1F};
    if (bitmap.compression == BitFields) {
        // After a header of 40 bytes, or within a longer one.
        const std::size_t at = FileHeaderBytes + InfoHeaderBytes;
        if (bytes.size() < at + 12)
            return std::string("image BMP coupée dans son en-tête");
        for (std::size_t c = 0; c < 3; ++c)
            masks[c] = littleEndian(bitmap.at(at + 4 * c), 4);
    }
    picture.pixels.resize(std::size_t{bitmap.width} * bitmap.height);
    const std::array<std::uint8_t, 256> to =
        nearestOf(tableColours(bytes.data() + bitmap.tableAt, bitmap.tableCount, bitmap.layout()), nearest);
    const std::size_t pixelBytes = bitmap.bits / 8;
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* row = bitmap.at(bitmap.pixelsAt + stride * (bitmap.topDown ? y : bitmap.height - 1 - y));
        std::uint8_t* into = picture.pixels.data() + std::size_t{y} * bitmap.width;
        for (std::uint32_t x = 0; x < bitmap.width; ++x) {
            if (bitmap.bits <= 8) {
                const std::size_t bit = std::size_t{x} * bitmap.bits;
                into[x] = to[(row[bit / 8] >> (8 - bitmap.bits - bit % 8)) & ((1u << bitmap.bits) - 1)];
            } else {
                std::uint8_t rgb[3];
                if (bitmap.bits == 24) {
                    const std::uint8_t* p = row + 3 * std::size_t{x};
                    rgb[0] = p[2], rgb[1] = p[1], rgb[2] = p[0];
                } else {
                    const std::uint32_t p = littleEndian(row + pixelBytes * x, pixelBytes);
                    for (std::size_t c = 0; c < 3; ++c)
                        rgb[c] = channel(p, masks[c]);
                }
                if (shown != nullptr)
                    shown->put(std::size_t{y} * bitmap.width + x, rgb[0], rgb[1], rgb[2]);
                else
                    into[x] = nearest.index(rgb[0], rgb[1], rgb[2]);
            }
        }
    }
    return std::nullopt;
}

// Run-length coded rows from the bottom up: runs, literal stretches, ends of
// line, jumps and the end; pixels jumped over are index 0.
Problem readRuns(const Bitmap& bitmap, Nearest& nearest, Picture& picture, Preview* /*shown: none is true colour*/)
{
    const std::string_view bytes = bitmap.bytes;
    const std::string cut = "image BMP coupée : " + std::to_string(bitmap.width) + " × " +
                            std::to_string(bitmap.height) + " pixels annoncés";
    if (bitmap.pixelsAt > bytes.size() ||
        std::uint64_t{bitmap.width} * bitmap.height > MostPixelsAByte * (bytes.size() - bitmap.pixelsAt) ||
        bitmap.topDown)
        return cut;
    const std::array<std::uint8_t, 256> to =
        nearestOf(tableColours(bytes.data() + bitmap.tableAt, bitmap.tableCount, bitmap.layout()), nearest);
    picture.pixels.assign(std::size_t{bitmap.width} * bitmap.height, to[0]);
    const bool four = bitmap.compression == Rle4;
    std::uint64_t x = 0, y = 0;
    const auto put = [&](std::uint8_t index) {
        if (x < bitmap.width && y < bitmap.height)
            picture.pixels[(bitmap.height - 1 - y) * bitmap.width + x] = to[index];
        ++x;
    };
    // The k-th pixel of a byte: the whole byte, or in RLE4 its high then its low half.
    const auto pixel = [four](std::uint8_t byte, std::size_t k) {
        return four ? static_cast<std::uint8_t>(k % 2 == 0 ? byte >> 4 : byte & 0xF) : byte;
    };
    std::size_t at = bitmap.pixelsAt;
    for (;;) {
        if (bytes.size() - at < 2)
            return cut;
        const std::uint8_t count = bitmap.at(at)[0], value = bitmap.at(at)[1];
        at += 2;
        if (count > 0) {
            for (std::size_t k = 0; k < count; ++k)
                put(pixel(value, k));
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return std::nullopt;
        } else if (value == 2) {
            if (bytes.size() - at < 2)
                return cut;
            x += bitmap.at(at)[0];
            y += bitmap.at(at)[1];
            at += 2;
        } else {
            // `value` pixels as they are, padded to a whole number of 16-bit words.
            const std::size_t length = four ? (value + 1) / 2 : value;
            if (bytes.size() - at < length + length % 2)
                return cut;
            for (std::size_t k = 0; k < value; ++k)
                put(pixel(bitmap.at(at)[four ? k / 2 : k], k));
            at += length + length % 2;
        }
    }
}

// Uncompressed, the least of 1, 4 or 8 bits that holds the palette, the table
// the palette exactly; the rows from the bottom up.
Problem writeIndexed(const Bitmap& bitmap, const Picture& picture, const Palette& palette, ByteSink& out)
{
    const std::size_t count = std::clamp<std::size_t>(palette.colours.size(), 1, 256);
    const std::uint32_t bits = count <= 2 ? 1 : count <= 16 ? 4 : 8;
    const std::size_t stride = (std::size_t{picture.width} * bits + 31) / 32 * 4;
    const std::size_t pixelsAt = FileHeaderBytes + InfoHeaderBytes + 4 * count;
    std::string bytes;
    bytes.reserve(pixelsAt + stride * picture.height);
    const auto put = [&bytes](std::size_t value, std::size_t size) {
        formats::appendLittleEndian(bytes, static_cast<std::uint32_t>(value), size);
    };
    bytes.append("BM");
    put(pixelsAt + stride * picture.height, 4);
    put(0, 4); // reserved
    put(pixelsAt, 4);
    put(InfoHeaderBytes, 4);
    put(picture.width, 4);
    put(picture.height, 4);
    put(1, 2); // planes
    put(bits, 2);
    put(Uncompressed, 4);
    put(stride * picture.height, 4);
    put(bitmap.resolution[0], 4);
    put(bitmap.resolution[1], 4);
    put(count, 4); // colours used
    put(0, 4);     // all of them important
    bytes.resize(pixelsAt + stride * picture.height, '\0');
    putPalette(palette, bytes.data() + pixelsAt - 4 * count, count, {4, true});
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        char* row = bytes.data() + pixelsAt + stride * (picture.height - 1 - y);
        const std::uint8_t* from = picture.pixels.data() + std::size_t{y} * picture.width;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const std::size_t bit = std::size_t{x} * bits;
            row[bit / 8] = static_cast<char>(row[bit / 8] | from[x] << (8 - bits - bit % 8));
        }
    }
    return written(out, bytes);
}

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::string bytes = readWhole(in);
    Bitmap bitmap;
    if (Problem problem = readHeaders(bytes, bitmap))
        return problem;
    const bool indexed = bitmap.tableCount > 0;
    const bool trueColour = bitmap.bits == 16 || bitmap.bits == 24 || bitmap.bits == 32;
    if (!indexed && !trueColour)
        return Unreadable;
    if (mode == Mode::KeepIndices && !indexed)
        return std::string(NoIndices);
    const bool runs =
        (bitmap.compression == Rle8 && bitmap.bits == 8) || (bitmap.compression == Rle4 && bitmap.bits == 4);
    if (!runs && bitmap.compression != Uncompressed &&
        !(bitmap.compression == BitFields && (bitmap.bits == 16 || bitmap.bits == 32)))
        return "image BMP à la compression inconnue (" + std::to_string(bitmap.compression) + ")";
    // Read in either mode, so that pixels cut short are refused in both.
    Nearest nearest(palette.colours);
    Picture picture{bitmap.width, bitmap.height, {}};
    if (Problem problem = (runs ? readRuns : readRows)(bitmap, nearest, picture, nullptr))
        return problem;
    if (mode == Mode::Remap)
        return writeIndexed(bitmap, picture, palette, out);
    putPalette(palette, bytes.data() + bitmap.tableAt, bitmap.tableCount, bitmap.layout());
    outcome.tableColours = bitmap.tableCount;
    return written(out, bytes);
}

// The pixels read as `apply` reads them, through the file's own table: each
// index goes to the first entry of its colour; true colour as it is.
Problem preview(ByteSource& in, Preview& image)
{
    const std::string bytes = readWhole(in);
    Bitmap bitmap;
    if (Problem problem = readHeaders(bytes, bitmap))
        return problem;
    const bool runs =
        (bitmap.compression == Rle8 && bitmap.bits == 8) || (bitmap.compression == Rle4 && bitmap.bits == 4);
    const bool trueColour = bitmap.bits == 16 || bitmap.bits == 24 || bitmap.bits == 32;
    if ((bitmap.tableCount == 0 && !trueColour) ||
        (!runs && bitmap.compression != Uncompressed &&
         !(bitmap.compression == BitFields && (bitmap.bits == 16 || bitmap.bits == 32))))
        return Unreadable;
    if (Problem problem = image.resize(bitmap.width, bitmap.height))
        return problem;
    const std::vector<Colour> table = tableColours(bytes.data() + bitmap.tableAt, bitmap.tableCount, bitmap.layout());
    Nearest nearest(table);
    Picture picture{bitmap.width, bitmap.height, {}};
    if (Problem problem = (runs ? readRuns : readRows)(bitmap, nearest, picture, &image))
        return problem;
    for (std::size_t i = 0; !trueColour && i < picture.pixels.size(); ++i) {
        const Colour& colour = table[picture.pixels[i]];
        image.put(i, levelByte(colour[Red]), levelByte(colour[Green]), levelByte(colour[Blue]));
    }
    return std::nullopt;
}

} // namespace

const Recolourer BmpRecolourer{"bmp", apply, preview};

} // namespace corvane::apply
