#include "apply.h"
#include "apply_texts.h"
#include "applying.h"
#include "samples.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace corvane::apply
