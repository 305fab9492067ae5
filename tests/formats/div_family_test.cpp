#include "format_checks.h"
#include "gzip_source.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

const std::string Levels = [] {
    std::string levels(DivLevelBytes, '\0');
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<char>(i % 251);
    return levels;
}();
const std::string Ranges(DivRangeBytes, '\x07');

std::string divFile(std::string_view name, char version = '\0')
{
    return std::string(name) + "\x1A\r\n\0"s + version;
}

// A gzip file of one stored block: a header, the block's length, the content as it is.
std::string gzipStored(const std::string& content)
{
    const std::size_t n = content.size();
    const std::size_t inverse = ~n & 0xFFFF;
    return "\x1F\x8B\x08\0\0\0\0\0\0\x03\x01"s + char(n & 0xFF) + char(n >> 8) + char(inverse & 0xFF) +
           char(inverse >> 8) + content;
}

std::string gzipSampleChangedAt(std::size_t at, char to)
{
    std::string bytes = sampleBytes("div/div-gzip.pal");
    bytes[at] = to;
    return bytes;
}

const std::string Compressed = " (fichier compressé par gzip), 256 couleurs";
const std::string Broken = "flux gzip coupé ou abîmé avant la fin de la palette";

// A sample read up to the end of its range block, and no further.
ReaderCase sample(std::string name, const char* file, const char* kind, std::size_t paletteEnd)
{
    std::string bytes = sampleBytes(file);
    const std::size_t rest = bytes.size() - paletteEnd;
    return {std::move(name), true, std::move(bytes), kind + ", 256 couleurs"s, rest};
}

const ReaderCase DivCases[] = {
    sample("fpg", "div/fpg-foret.fpg", "Palette d'un fichier FPG de DIV Games Studio", 1352),
    sample("fnt", "div/fnt-lettres.fnt", "Palette d'un fichier FNT de DIV Games Studio", 1352),
    sample("map_levels_at_48", "div/map-carte.map", "Palette d'un fichier MAP de DIV Games Studio", 1392),
    {"pal_any_version_no_ranges", false, divFile("pal", '\x09') + Levels, "Palette DIV Games Studio, 256 couleurs"},
    {"cut_in_palette", true, sampleBytes("div/fpg-coupe.fpg"),
     "le fichier s'arrête avant les 768 niveaux de sa palette"},
    {"map_cut_before_palette", true, divFile("map") + std::string(40 + DivLevelBytes - 1, '\0'),
     "le fichier s'arrête avant les 768 niveaux de sa palette"},
    {"other_name", false, divFile("fpx") + Levels, "ce n'est pas un fichier DIV (pal, fpg, fnt ou map)"},
    {"other_tail", false, "fpg\x1A\n\r\0\0"s + Levels, "ce n'est pas un fichier DIV (pal, fpg, fnt ou map)"},
    {"other_seventh_byte", false, "fpg\x1A\r\n\x01\0"s + Levels, "ce n'est pas un fichier DIV (pal, fpg, fnt ou map)"},
    {"empty", false, "", "ce n'est pas un fichier DIV (pal, fpg, fnt ou map)"},
    // Once inflated, a pal file is this reader's: the window does not open it compressed.
    {"gzip_pal", true, sampleBytes("div/div-gzip.pal"), "Palette DIV Games Studio" + Compressed},
    {"gzip_fpg", true, sampleBytes("div/fpg-gzip.fpg"), "Palette d'un fichier FPG de DIV Games Studio" + Compressed},
    {"gzip_map_levels_at_48", true, gzipStored(divFile("map") + std::string(40, '\0') + Levels + Ranges),
     "Palette d'un fichier MAP de DIV Games Studio" + Compressed},
    {"gzip_cut_in_palette", true, sampleBytes("div/div-gzip.pal").substr(0, 100), Broken},
    {"gzip_reserved_flags", false, gzipSampleChangedAt(3, '\xE0'), Broken},
    {"gzip_of_other_bytes", false, gzipStored("GIMP Palette\nName: x\n"),
     "ce n'est pas un fichier DIV (pal, fpg, fnt ou map)"},
};

INSTANTIATE_TEST_SUITE_P(div, FormatReader, testing::ValuesIn(DivCases), ByName());

TEST(DivReader, HoldsLevelsTimesFourAndKeepsAWholeRangeBlock)
{
    const std::string file = divFile("fnt") + Levels + Ranges;
    MemorySource source(file);
    formats::Palette palette;
    ASSERT_EQ(formats::formatNamed("div")->read(source, palette), std::nullopt);
    EXPECT_TRUE(palette.sixBit);
    EXPECT_EQ(palette.colours[1], (Entry{12, 16, 20}));
    EXPECT_EQ(palette.colours[83], (Entry{996, 1000, 0})); // bytes 249, 250, 0: not clamped
    ASSERT_TRUE(palette.ranges.has_value());
    EXPECT_EQ(std::string(palette.ranges->begin(), palette.ranges->end()), Ranges);

    const std::string cutFile = file.substr(0, file.size() - 1);
    MemorySource cut(cutFile);
    ASSERT_EQ(formats::formatNamed("div")->read(cut, palette), std::nullopt);
    EXPECT_FALSE(palette.ranges.has_value());
}

// A stream cut in the middle of a match, read a byte at a time, still gives
// every byte zlib can: the rest of the match is in zlib's state, not in the input.
TEST(GzipSource, ACutStreamGivesAllThatZlibGives)
{
    TrickleSource compressed("\x1f\x8b\x08\x00\x00\x23\x03\x00\xb1\x00\x32\x35\x50\x4b\x01\x02"sv);
    formats::GzipSource source(compressed);
    std::string got;
    for (char byte = 0; source.read(&byte, 1) == 1;)
        got += byte;
    EXPECT_EQ(got, "50&dddd");
    EXPECT_TRUE(source.broken());
}

} // namespace
} // namespace corvane::test
