#include "format_checks.h"

namespace corvane::test {
namespace {

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
    {"truecolour_too_large", true, sampleBytes("png/png-rgb-geante.png"),
     "image PNG sans palette de 20000 × 20000 pixels : trop grande pour une palette"},
    {"truecolour_cut_in_image", true, sampleBytes("png/png-lospec8.png").substr(0, 70), Unreadable},
    {"cut_in_plte", true, Png16.substr(0, 100), Unreadable},
    {"ihdr_crc_wrong", true, png16ChangedAt(20), Unreadable},
    {"signature_wrong", false, png16ChangedAt(1), Unreadable},
};

INSTANTIATE_TEST_SUITE_P(png, FormatReader, testing::ValuesIn(PngCases), ByName());

} // namespace
} // namespace corvane::test
