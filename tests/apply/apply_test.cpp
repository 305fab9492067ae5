#include "apply.h"
#include "apply_texts.h"
#include "applying.h"
#include "samples.h"

#include "binary.h"
#include "gzip_source.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace corvane::apply {
namespace {

using test::fileBytes;
using test::SampleDir;

TEST(Recolourers, EachImageFormatHasOne)
{
    for (const char* format : {"div", "png", "gif", "bmp", "pcx", "lbm"})
        EXPECT_NE(recolourerFor(format), nullptr) << format;
}

// A palette of `count` greys, as read from a file.
Palette greys(std::size_t count)
{
    Palette palette;
    for (std::size_t k = 0; k < count; ++k)
        palette.colours.push_back({std::int16_t(k), std::int16_t(k), std::int16_t(k)});
    return palette;
}

TEST(Applying, PalettesAreReadFromAnyFormatUpTo256Colours)
{
    const std::string hex257 = [] {
        std::string text;
        for (int k = 0; k < 257; ++k)
            text += "102030\n";
        return text;
    }();
    const struct {
        std::string bytes;
        std::size_t colours;
        std::string why;
    } cases[] = {
        {fileBytes(SampleDir / "div/fpg-foret.fpg"), 256, ""},
        {fileBytes(SampleDir / "png/png-lospec8.png"), 8, ""},
        {hex257.substr(7), 256, ""},
        {hex257, 0, tooManyColours(257)},
        {"rien\n", 0, "Type Inconnue"},
        {"JASC-PAL\r\n0100\r\n1\r\n300 0 0\r\n", 0, "couleur 0 : niveau 300 hors de 0 à 255"},
    };
    for (const auto& c : cases) {
        MemorySource source(c.bytes);
        Palette palette;
        const Problem problem = readPalette(source, palette);
        EXPECT_EQ(problem.value_or(""), c.why) << c.bytes.substr(0, 10);
        EXPECT_EQ(problem ? 0 : palette.colours.size(), c.colours);
    }
}

TEST(Applying, InputsWithoutAnImageAreRefused)
{
    const struct {
        const char* sample;
        std::string why;
    } cases[] = {
        {"div/div-degrade.PAL", std::string(NoImage)},
        {"jasc/jasc16-lf.pal", std::string(NoImage)},
        {"gpl/gimp32.gpl", std::string(NoImage)},
        {"act/act40-photoshop.act", std::string(NoImage)},
        {"aseprite/sprite24.aseprite", "le format « aseprite » se lit mais ne s'écrit pas"},
    };
    for (const auto& c : cases) {
        for (const Mode mode : {Mode::KeepIndices, Mode::Remap}) {
            const std::string bytes = fileBytes(SampleDir / c.sample);
            MemorySource in(bytes);
            StringSink out;
            std::vector<std::string> warnings;
            EXPECT_EQ(applyPalette(in, nullptr, greys(4), mode, out, warnings).value_or(""), c.why) << c.sample;
        }
    }
}

TEST(Applying, PreviewsAreTheFirstImageBoundedOrTheReason)
{
    // A true-colour BMP's headers announcing 5000 × 5000 pixels, 100 MB of RGBA.
    std::string huge = "BM";
    for (const std::uint32_t value : {0u, 0u, 54u, 40u, 5000u, 5000u})
        formats::appendLittleEndian(huge, value, 4);
    formats::appendLittleEndian(huge, 1, 2);
    formats::appendLittleEndian(huge, 24, 2);
    huge.resize(54, '\0');
    const struct {
        std::string bytes;
        std::uint32_t width, height;
        std::string why;
    } cases[] = {
        {fileBytes(SampleDir / "div/fpg-foret.fpg"), 16, 16, ""},
        {fileBytes(SampleDir / "div/fpg-gzip.fpg"), 16, 16, ""},
        {fileBytes(SampleDir / "div/map-carte.map"), 32, 16, ""},
        {fileBytes(SampleDir / "div/fpg-plages.fpg"), 0, 0, std::string(NoGraphic)},
        {fileBytes(SampleDir / "div/div-degrade.PAL"), 0, 0, std::string(NoImage)},
        {fileBytes(SampleDir / "div/fpg-coupe.fpg"), 0, 0, std::string(LevelsCut)},
        {huge, 0, 0, std::string(PreviewTooLarge)},
    };
    for (const auto& c : cases) {
        MemorySource source(c.bytes);
        Preview image;
        EXPECT_EQ(previewImage(source, nullptr, image).value_or(""), c.why) << c.bytes.substr(0, 3);
        if (c.why.empty()) {
            EXPECT_EQ(std::tuple(image.width, image.height, image.rgba.size()),
                      std::tuple(c.width, c.height, std::size_t{4} * c.width * c.height));
        }
    }
}

struct Applied {
    Problem problem;
    std::string out;
    std::vector<std::string> warnings;
};

Applied applied(const std::string& in, const Palette& palette, Mode mode)
{
    MemorySource source(in);
    Applied result;
    StringSink sink;
    result.problem = applyPalette(source, nullptr, palette, mode, sink, result.warnings);
    result.out = std::move(sink.content);
    return result;
}

std::string inflated(const std::string& bytes)
{
    if (!bytes.starts_with(formats::GzipMagic))
        return bytes;
    MemorySource compressed(bytes);
    formats::GzipSource source(compressed);
    std::string whole(1 << 20, '\0');
    whole.resize(readFully(source, whole.data(), whole.size()));
    return whole;
}

// Where the samples' pixels are, from the layouts make_samples.py writes them in.
constexpr std::size_t FpgPixels = 1352 + 64;
const std::vector<std::pair<std::size_t, std::size_t>> ForestPixels{{FpgPixels, 256}, {FpgPixels + 256 + 68, 32}};

// Put into itself, a DIV file's palette changes no byte when the indices are
// kept; remapped, each pixel keeps its colour, its index the lowest that shows it.
TEST(DivFamily, ItsOwnPaletteKeepsEveryByteAndEveryPixelsColour)
{
    const struct {
        const char* sample;
        std::size_t levelsAt;
        std::vector<std::pair<std::size_t, std::size_t>> pixels;
    } cases[] = {
        {"div/fpg-foret.fpg", 8, ForestPixels},
        {"div/fpg-gzip.fpg", 8, ForestPixels},
        {"div/fpg-plages.fpg", 8, {}},
        {"div/map-carte.map", 48, {{1394, 512}}},
        {"div/fnt-lettres.fnt", 8, {{1352 + 4 + 4096, 3 * 48}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        const std::string in = fileBytes(SampleDir / c.sample);
        MemorySource source(in);
        Palette own;
        ASSERT_FALSE(readPalette(source, own));
        const Applied kept = applied(in, own, Mode::KeepIndices);
        EXPECT_FALSE(kept.problem);
        EXPECT_TRUE(kept.warnings.empty());
        EXPECT_EQ(inflated(kept.out), inflated(in));
        EXPECT_EQ(kept.out.starts_with(formats::GzipMagic), in.starts_with(formats::GzipMagic));

        const Applied remapped = applied(in, own, Mode::Remap);
        ASSERT_FALSE(remapped.problem);
        const std::string before = inflated(in), after = inflated(remapped.out);
        ASSERT_EQ(after.size(), before.size());
        const auto colour = [&](unsigned char index) { return before.substr(c.levelsAt + 3 * index, 3); };
        for (std::size_t at = 0; at < before.size(); ++at) {
            const bool pixel = std::any_of(c.pixels.begin(), c.pixels.end(),
                                           [at](auto p) { return at >= p.first && at < p.first + p.second; });
            const auto was = static_cast<unsigned char>(before[at]), is = static_cast<unsigned char>(after[at]);
            if (!pixel) {
                ASSERT_EQ(is, was) << at;
                continue;
            }
            EXPECT_EQ(was == 0, is == 0) << at;
            EXPECT_EQ(colour(is), colour(was)) << at;
            for (unsigned lower = 1; was != 0 && lower < is; ++lower)
                EXPECT_NE(colour(lower), colour(was)) << at;
        }
    }
}

TEST(DivFamily, TheLevelsAreThePalettesBlackAfterTheRestUnchanged)
{
    // 16 colours of 6-bit levels 0 to 15, as a DIV file gives them: not repeated.
    Palette sixBit;
    sixBit.sixBit = true;
    std::string levels;
    for (std::int16_t k = 0; k < 16; ++k) {
        sixBit.colours.push_back({std::int16_t(4 * k), std::int16_t(4 * k), std::int16_t(4 * k)});
        levels.append(3, static_cast<char>(k));
    }
    const std::string in = fileBytes(SampleDir / "div/fpg-foret.fpg");
    const Applied kept = applied(in, sixBit, Mode::KeepIndices);
    EXPECT_EQ(kept.out, in.substr(0, 8) + levels + std::string(768 - 48, '\0') + in.substr(776));
    EXPECT_EQ(kept.warnings, std::vector<std::string>{fewerColours(16, 256)});
}

TEST(DivFamily, FilesCutShortOrWithoutImageAreRefused)
{
    const std::string forest = fileBytes(SampleDir / "div/fpg-foret.fpg");
    std::string longer = forest;
    longer[1352 + 4] = 10; // the first graphic's length, shorter than its pixels
    std::string font = fileBytes(SampleDir / "div/fnt-lettres.fnt");
    font[1356 + 16 * 'B' + 12] = 1; // a character's pixels inside the header
    const struct {
        std::string bytes;
        std::string why;
    } cases[] = {
        {fileBytes(SampleDir / "div/fpg-graphique-coupe.fpg"), pixelsCut("graphique", 2)},
        {fileBytes(SampleDir / "div/fpg-coupe.fpg"), std::string(LevelsCut)},
        {fileBytes(SampleDir / "div/div-gzip.pal"), std::string(NoImage)},
        {forest.substr(0, 1352 + 100), pixelsCut("graphique", 1)},
        {forest.substr(0, 1000 + 8), std::string(RangesCut)},
        {longer, pixelsMisplaced("graphique", 1)},
        {font, pixelsMisplaced("caractère", 'B')},
        {font.substr(0, 2000), std::string(FontTableCut)},
        {fileBytes(SampleDir / "div/fnt-lettres.fnt").substr(0, 5452 + 60), pixelsCut("caractère", 'B')},
        {fileBytes(SampleDir / "div/map-carte.map").substr(0, 1400), pixelsCut("graphique", 7)},
        {fileBytes(SampleDir / "div/fpg-gzip.fpg").substr(0, 300), std::string(GzipBroken)},
    };
    for (const auto& c : cases)
        for (const Mode mode : {Mode::KeepIndices, Mode::Remap})
            EXPECT_EQ(applied(c.bytes, greys(4), mode).problem.value_or(""), c.why) << c.bytes.size();
}

TEST(Png, WarningsAndRefusals)
{
    const std::string four = fileBytes(SampleDir / "png/png16-4bits.png");
    std::string wrongCrc = four;
    wrongCrc[wrongCrc.find("IDAT") + 6] ^= 1;
    const std::string noHeader = four.substr(0, 8) + four.substr(8 + 25);
    const std::string alpha = fileBytes(SampleDir / "png/png8-pillow-alpha.png");
    const struct {
        std::string bytes;
        std::size_t colours;
        std::string kept, remapped; // a refusal, or the warning
    } cases[] = {
        {alpha, 24, "", std::string(PartialAlphaLost)},
        {alpha, 4, fewerColours(4, 8), std::string(PartialAlphaLost)},
        {fileBytes(SampleDir / "png/png-rgba-1px.png"), 4, std::string(NoIndices), std::string(PartialAlphaLost)},
        {fileBytes(SampleDir / "png/png-lospec8.png"), 4, std::string(NoIndices), ""},
        {wrongCrc, 4, crcFailed("IDAT"), crcFailed("IDAT")},
        {four.substr(0, four.size() - 20), 4, std::string(PngCut), std::string(PngCut)},
        {noHeader, 4, std::string(PngDamaged), std::string(PngDamaged)},
        {fileBytes(SampleDir / "png/png-rgb-geante.png"), 4, std::string(NoIndices), std::string(PngDamaged)},
    };
    // Text and pHYs stay, the chunks that describe the old colours go.
    const std::string remapped = applied(alpha, greys(4), Mode::Remap).out;
    for (const char* chunk : {"tEXt", "zTXt", "iTXt", "pHYs"})
        EXPECT_NE(remapped.find(chunk), std::string::npos) << chunk;
    for (const char* chunk : {"sPLT", "hIST"})
        EXPECT_EQ(remapped.find(chunk), std::string::npos) << chunk;
    for (const auto& c : cases) {
        for (const Mode mode : {Mode::KeepIndices, Mode::Remap}) {
            const Applied result = applied(c.bytes, greys(c.colours), mode);
            const std::string told = result.problem.value_or(result.warnings.empty() ? "" : result.warnings[0]);
            EXPECT_EQ(told, mode == Mode::KeepIndices ? c.kept : c.remapped) << c.bytes.size();
        }
    }
}

} // namespace
} // namespace corvane::apply
