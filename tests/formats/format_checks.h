#pragma once

// What the tests of every format share: a reader over a table of inputs,
// and a writer against the expected outputs that make_samples.py computes
// beside the samples (SAMPLE.FORMAT.attendu).

#include "format.h"
#include "levels.h"
#include "load.h"
#include "samples.h"
#include "support.h"

#include <gtest/gtest.h>

namespace corvane::formats::checks {

using corvane::test::PrintTo; // cases print as their names

// An input, whether detection takes it, and what reading it gives: its
// problem, or its kind, its colour count and, up to 4 colours, the colours:
// "Palette GIMP, 2 couleurs : 1 2 3, 4 5 6".
struct ReadCase {
    const char* name;
    std::string bytes;
    bool detected;
    std::string outcome;
};

inline std::string outcomeOf(const Format& format, ByteSource& source)
{
    Palette palette;
    if (Problem problem = format.read(source, palette))
        return *problem;
    std::string outcome = palette.kind + ", " + colourCount(palette.colours.size());
    for (std::size_t k = 0; k < palette.colours.size() && palette.colours.size() <= 4; ++k)
        outcome += (k == 0 ? " : " : ", ") + std::to_string(palette.colours[k][0]) + ' ' +
                   std::to_string(palette.colours[k][1]) + ' ' + std::to_string(palette.colours[k][2]);
    return outcome;
}

class ReadTest : public testing::TestWithParam<ReadCase> {};

// Read whole and one byte at a time, so that every buffer edge is crossed.
inline void checkRead(std::string_view name, const ReadCase& c)
{
    const Format& format = *formatNamed(name);
    EXPECT_EQ(format.detect({std::string_view(c.bytes).substr(0, HeadBytes), c.bytes.size() <= HeadBytes}), c.detected);
    MemorySource memory(c.bytes);
    EXPECT_EQ(outcomeOf(format, memory), c.outcome);
    corvane::test::TrickleSource trickle(c.bytes);
    EXPECT_EQ(outcomeOf(format, trickle), c.outcome);
}

inline std::string sampleBytes(const char* name)
{
    return corvane::test::fileBytes(corvane::test::SampleDir / name);
}

// The palette corvane-convert takes from a sample: the window's reader for a
// file the window opens, else the reader that detection picks.
inline Palette samplePalette(const std::filesystem::path& file)
{
    Palette palette;
    const std::string bytes = corvane::test::fileBytes(file);
    MemorySource window(bytes);
    PaletteTable table;
    KindCaption caption;
    if (loadPalette(window, table, caption).kind != PaletteKind::Unknown) {
        palette.colours = table.entries();
        return palette;
    }
    const Format* format = detectFormat({std::string_view(bytes).substr(0, HeadBytes), bytes.size() <= HeadBytes});
    MemorySource source(bytes);
    EXPECT_TRUE(format != nullptr && !format->read(source, palette)) << file;
    return palette;
}

// Every SAMPLE.NAME.attendu: the writer's bytes for SAMPLE's palette, which its
// own reader reads back the same. Returns how many there were.
inline std::size_t checkWriterOnSamples(std::string_view name)
{
    const Format& format = *formatNamed(name);
    const std::string suffix = "." + std::string(name) + ".attendu";
    std::size_t checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corvane::test::SampleDir)) {
        const std::string file = entry.path().filename().string();
        if (!file.ends_with(suffix))
            continue;
        SCOPED_TRACE(file);
        const std::filesystem::path sample = entry.path().parent_path() / file.substr(0, file.size() - suffix.size());
        const Palette palette = samplePalette(sample);
        std::string written;
        EXPECT_FALSE(format.write(palette, {sample.stem().string()}, written));
        EXPECT_EQ(written, corvane::test::fileBytes(entry.path()));
        MemorySource again(written);
        Palette back;
        EXPECT_FALSE(format.read(again, back));
        EXPECT_EQ(back.colours, palette.colours);
        ++checked;
    }
    return checked;
}

} // namespace corvane::formats::checks
