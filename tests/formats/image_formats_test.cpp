// The image formats' readers over their samples and bad inputs, and the
// detection that reaches their signatures before the text rules have the
// whole head.
#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::string changed(std::string bytes, std::size_t at, std::string_view with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

const std::string Gif = "Palette d'une image GIF, ";
const std::string GifNoTable = "image GIF sans table de couleurs";
const std::string Gif16 = sampleBytes("gif/gif89-16-transparent.gif");
// Signature, a screen of 1 by 1 pixel without a global table.
const std::string GifBare = "GIF89a\x01\x00\x01\x00\x00\x00\x00"s;

const ReaderCase GifCases[] = {
    {"global_16_after_extensions", true, Gif16, Gif + "16 couleurs", Gif16.size() - 61},
    {"gif87_4", true, sampleBytes("gif/gif87-4.gif"), Gif + "4 couleurs : 64 19 19, 128 38 38, 191 57 57, 255 77 77",
     52 - 25},
    {"local_32", true, sampleBytes("gif/gif89-32-locale.gif"), Gif + "32 couleurs", 1285 - (13 + 19 + 10 + 96)},
    {"cut_in_table", true, Gif16.substr(0, 40), "image GIF coupée dans sa table de couleurs"},
    {"trailer_first", true, GifBare + ";", GifNoTable},
    {"image_without_table", true, GifBare + ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;"s, GifNoTable},
    {"ends_in_extension", true, GifBare + "\x21\xfe\x05"s + "ab", GifNoTable},
    {"unknown_block", true, GifBare + "\x99", "image GIF illisible"},
    {"gif90", false, changed(Gif16, 3, "90a"), "image GIF illisible"},
};
INSTANTIATE_TEST_SUITE_P(gif, FormatReader, testing::ValuesIn(GifCases), ByName());

const std::string Bmp = "Palette d'une image BMP, ";
const std::string Bmp8 = sampleBytes("bmp/bmp8-windows.bmp");

const ReaderCase BmpCases[] = {
    {"windows_8_bits_all_used", true, Bmp8, Bmp + "256 couleurs", Bmp8.size() - 14 - 40 - 1024},
    {"v5_4_bits_12_used", true, sampleBytes("bmp/bmp4-v5.bmp"), Bmp + "12 couleurs", 210 - 14 - 124 - 48},
    {"os2_1_bit", true, sampleBytes("bmp/bmp1-os2.bmp"), Bmp + "2 couleurs : 0 0 0, 255 255 255", 44 - 14 - 12 - 6},
    {"24_bits", true, sampleBytes("bmp/bmp24-sans-palette.bmp"), "image BMP sans palette (24 bits par pixel)"},
    {"table_cut", true, Bmp8.substr(0, 14 + 40 + 100), "table de couleurs BMP coupée : 256 couleurs annoncées"},
    {"header_cut", true, Bmp8.substr(0, 30), "image BMP coupée dans son en-tête"},
    {"300_used", true, changed(Bmp8, 46, "\x2c\x01"), "image BMP de 8 bits par pixel annonçant 300 couleurs"},
    {"header_of_64", false, changed(Bmp8, 14, "\x40"), "image BMP illisible"},
};
INSTANTIATE_TEST_SUITE_P(bmp, FormatReader, testing::ValuesIn(BmpCases), ByName());

const std::string Pcx = "Palette d'une image PCX, ";
const std::string NoMark = "image PCX de 256 couleurs sans sa palette : pas d'octet 0x0C avant les 768 derniers";
const std::string Pcx256 = sampleBytes("pcx/pcx256-v5.pcx");
const std::string Pcx16 = sampleBytes("pcx/pcx16-ega.pcx");
// 768 bytes of 6-bit levels that start like a PCX: a VGA table all the same.
const std::string PcxLikeVga =
    (Pcx16.substr(0, 12) + std::string(4, '\0') + std::string(48, '\0') + Pcx16.substr(64, 64))
        .append(768 - 128, '\x3f');

const ReaderCase PcxCases[] = {
    {"v5_256_at_the_end", true, Pcx256, Pcx + "256 couleurs"},
    {"ega_16_in_header", true, Pcx16, Pcx + "16 couleurs", Pcx16.size() - 128},
    {"mark_missing", true, changed(Pcx256, Pcx256.size() - 769, "\x0b"), NoMark},
    // Read as the last 769 bytes whether the source seeks to them or is read through.
    {"header_then_palette", true, Pcx256.substr(0, 128) + Pcx256.substr(Pcx256.size() - 769), Pcx + "256 couleurs"},
    {"end_cut", true, Pcx256.substr(0, Pcx256.size() - 100), NoMark},
    {"shorter_than_a_palette", true, Pcx256.substr(0, 128 + 768), NoMark},
    {"header_only", true, Pcx256.substr(0, 128), NoMark},
    {"header_cut", true, Pcx256.substr(0, 100), "image PCX coupée dans son en-tête"},
    {"three_8_bit_planes", true, changed(Pcx256, 65, "\x03"), "image PCX sans palette (3 plans de 8 bits)"},
    {"version_6", false, changed(Pcx16, 1, "\x06"), "image PCX illisible"},
    {"small_bytes_768_stay_vga", false, PcxLikeVga, Pcx + "16 couleurs"},
};
INSTANTIATE_TEST_SUITE_P(pcx, FormatReader, testing::ValuesIn(PcxCases), ByName());

std::string padded(std::string bytes, std::size_t size)
{
    bytes.resize(size, '\0');
    return bytes;
}

// The signatures after the text rules decide from the first bytes when the
// head cannot be text, and never otherwise than the whole head would.
TEST(Detection, SignaturesAfterTheTextRulesDecideEarlyAndAlike)
{
    constexpr std::size_t First = formats::FirstBytes;
    const struct {
        std::string name, bytes;
        std::string_view early; // empty: left to the whole head
        std::string_view whole; // empty: no format
    } cases[] = {
        {"gif", Gif16, "gif", "gif"},
        {"bmp", Bmp8, "bmp", "bmp"},
        {"pcx", Pcx256, "pcx", "pcx"},
        {"gif_of_768", padded(Gif16, 768), "gif", "gif"},
        {"bmp_of_772", padded(sampleBytes("bmp/bmp1-os2.bmp"), 772), "bmp", "bmp"},
        {"pcx_small_bytes_768", PcxLikeVga, "", "vga"},
        {"hex", sampleBytes("hex/lospec24.hex"), "", "hex"},
        {"hex_starting_BM", "BBCCDD\n"s + std::string(2000, '\n') + "AABBCC\n", "", "hex"},
        {"hex_with_bom", "\xEF\xBB\xBF#AABBCC"s + std::string(2000, '\r'), "", "hex"},
        {"bytes_of_772", std::string(772, 'G'), "", "act"},
        {"gif_after_text", "BM\n"s + Gif16, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string_view bytes = c.bytes;
        const formats::Format* early = formats::detectSignature({bytes.substr(0, First), bytes.size() <= First});
        const formats::Format* whole =
            formats::detectFormat({bytes.substr(0, formats::HeadBytes), bytes.size() <= formats::HeadBytes});
        EXPECT_EQ(early == nullptr ? "" : early->name, c.early);
        EXPECT_EQ(whole == nullptr ? "" : whole->name, c.whole);
    }
    // Every sample: what the first bytes decide, the whole head decides alike.
    for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(SampleDir)) {
        if (!entry.is_regular_file())
            continue;
        const std::string bytes = fileBytes(entry.path());
        const std::string_view view = bytes;
        const formats::Format* early = formats::detectSignature({view.substr(0, First), view.size() <= First});
        if (early != nullptr) {
            EXPECT_EQ(early,
                      formats::detectFormat({view.substr(0, formats::HeadBytes), view.size() <= formats::HeadBytes}))
                << entry.path().filename();
        }
    }
}

} // namespace
} // namespace corvane::test
