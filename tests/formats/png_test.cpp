#include "binary.h"
#include "format_checks.h"

#include <zlib.h>

namespace corvane::test {
namespace {

using namespace std::string_literals;

const std::string Kind = "Palette d'une image PNG, ";
const std::string Unreadable = "image PNG illisible";
const std::string Pixels = "Couleurs d'une image PNG sans palette, ";

// Chunks of png16-4bits.png: signature 0-7, IHDR 8-32, pHYs 33-53, PLTE 54-113, then tRNS.
const std::string Png16 = sampleBytes("png/png16-4bits.png");

std::string png16ChangedAt(std::size_t at)
{
    std::string bytes = Png16;
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    return bytes;
}

void appendChunk(std::string& png, std::string_view type, std::string_view data)
{
    formats::appendBigEndian(png, static_cast<std::uint32_t>(data.size()), 4);
    const std::string typed = std::string(type).append(data);
    png += typed;
    formats::appendBigEndian(png, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size()), 4);
}

// Grey, 1 bit a pixel, all black: 32,760 by 8,448 pixels, more than the 2^28
// a cap once refused, and 33 MiB of zeros inflated (rows of 4,096 bytes with
// their filter byte). A mebibyte of zeros is deflated once and repeated.
std::string blackPng()
{
    constexpr std::size_t MiB = std::size_t{1} << 20;
    std::string zeros(MiB, '\0');
    std::string blocks(MiB, '\0');
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = MiB;
    z.next_out = reinterpret_cast<Bytef*>(blocks.data());
    z.avail_out = MiB;
    deflate(&z, Z_SYNC_FLUSH); // ends on a byte boundary: the blocks can follow each other
    blocks.resize(z.total_out);
    deflateEnd(&z);
    const uLong zerosSum = adler32(1, reinterpret_cast<const Bytef*>(zeros.data()), MiB);
    std::string data = "\x78\xda"s; // zlib's header
    uLong sum = 1;
    for (int k = 0; k < 33; ++k) {
        data += blocks;
        sum = adler32_combine(sum, zerosSum, MiB);
    }
    data += "\x03\x00"s; // an empty last block
    formats::appendBigEndian(data, static_cast<std::uint32_t>(sum), 4);
    std::string png = "\x89PNG\r\n\x1a\n"s;
    appendChunk(png, "IHDR", "\x00\x00\x7f\xf8\x00\x00\x21\x00\x01\x00\x00\x00\x00"s);
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", "");
    return png;
}

const ReaderCase PngCases[] = {
    {"png16_4bits", true, Png16, Kind + "16 couleurs"},
    {"png256_gimp", true, sampleBytes("png/png256-gimp.png"), Kind + "256 couleurs"},
    // Nothing past the palette is read, so a file cut just after it still gives it.
    {"cut_after_plte", true, Png16.substr(0, 114), Kind + "16 couleurs"},
    {"truecolour", true, sampleBytes("png/png-rgb-sans-plte.png"), Pixels + "16 couleurs"},
    {"lospec_squares", true, sampleBytes("png/png-lospec8.png"), Pixels + "8 couleurs"},
    // Compared on R, G, B; alpha 0 skipped, whatever its colour.
    {"rgba_one_pixel_each", true, sampleBytes("png/png-rgba-1px.png"),
     Pixels + "3 couleurs : 200 40 40, 40 200 40, 40 40 200"},
    // Row by row, not pass by pass; the high byte of 16 bits; the tRNS grey skipped, 0x00FF not.
    {"grey16_adam7_trns", true, sampleBytes("png/png-gris16-entrelace.png"),
     Pixels + "4 couleurs : 18 18 18, 171 171 171, 0 0 0, 255 255 255"},
    {"truecolour_300_colours", true, sampleBytes("png/png-rgb-300.png"),
     "image PNG de plus de 256 couleurs : une image, pas une palette"},
    {"one_colour_past_2_28_pixels", true, blackPng(), Pixels + "1 couleur : 0 0 0"},
    {"truecolour_rows_missing", true, sampleBytes("png/png-rgb-geante.png"), Unreadable},
    {"truecolour_cut_in_image", true, sampleBytes("png/png-lospec8.png").substr(0, 70), Unreadable},
    {"cut_in_plte", true, Png16.substr(0, 100), Unreadable},
    {"ihdr_crc_wrong", true, png16ChangedAt(20), Unreadable},
    {"signature_wrong", false, png16ChangedAt(1), Unreadable},
};

INSTANTIATE_TEST_SUITE_P(png, FormatReader, testing::ValuesIn(PngCases), ByName());

} // namespace
} // namespace corvane::test
