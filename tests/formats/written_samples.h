#pragma once

// A writer against every expected output of its format beside the samples
// (NAME.FORMAT.attendu, worked out by make_samples.py), and what its reader
// makes of the bytes it wrote.

#include "format.h"
#include "load.h"
#include "samples.h"
#include "support.h"

#include <gtest/gtest.h>

namespace corvane::test {

// The palette corvane-convert takes from a sample: the window's reader for a
// file the window opens, else the reader that detection picks.
inline formats::Palette samplePalette(const std::string& bytes)
{
    formats::Palette palette;
    PaletteTable table;
    KindCaption caption;
    MemorySource source(bytes);
    const LoadResult loaded = loadPalette(source, table, caption);
    if (loaded.kind != PaletteKind::Unknown) {
        palette.colours = table.entries();
        palette.sixBit = loaded.kind == PaletteKind::Div;
        constexpr std::size_t RangesAt = DivLevelOffset + DivLevelBytes;
        if (palette.sixBit && bytes.size() >= RangesAt + formats::DivRangeBytes) {
            palette.ranges.emplace();
            std::copy_n(bytes.begin() + RangesAt, formats::DivRangeBytes, palette.ranges->begin());
        }
        return palette;
    }
    const std::string_view head = std::string_view(bytes).substr(0, formats::HeadBytes);
    const formats::Format* format = formats::detectFormat({head, bytes.size() <= formats::HeadBytes});
    EXPECT_NE(format, nullptr) << "no reader takes the sample";
    if (format != nullptr) {
        MemorySource again(bytes);
        EXPECT_EQ(format->read(again, palette), std::nullopt);
    }
    return palette;
}

// For every sample with an expected output in the format: the writer gives
// those bytes, and its reader takes them back to the same palette.
inline void expectEveryExpectedOutput(std::string_view name)
{
    const formats::Format* format = formats::formatNamed(name);
    ASSERT_NE(format, nullptr);
    const std::string suffix = "." + std::string(name) + ".attendu";
    std::size_t checked = 0;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(SampleDir)) {
        const std::string file = entry.path().filename().string();
        if (!file.ends_with(suffix))
            continue;
        const std::string sample = file.substr(0, file.size() - suffix.size());
        SCOPED_TRACE(sample);
        const formats::WriteContext context{std::filesystem::path(sample).stem().string()};
        const formats::Palette palette = samplePalette(fileBytes(SampleDir / sample));
        std::string written;
        ASSERT_EQ(format->write(palette, context, written), std::nullopt);
        EXPECT_EQ(written, fileBytes(entry.path()));

        // A 6-bit format's levels come back times 4: written again, they are the same bytes.
        TrickleSource source(written);
        formats::Palette back;
        ASSERT_EQ(format->read(source, back), std::nullopt);
        std::string again;
        ASSERT_EQ(format->write(back, context, again), std::nullopt);
        EXPECT_EQ(again, written);
        if (!back.sixBit) {
            EXPECT_EQ(back.colours, palette.colours);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0u) << "no " << suffix << " file";
}

// A reader's case: the input, and what it gives (kind) or its problem.
struct ReaderCase {
    std::string name;
    bool detected = false; // by the format's detection, as a whole input
    std::string bytes;
    std::string outcome;     // the kind, or the problem's text
    std::size_t colours = 0; // when read
    std::size_t rest = 0;    // bytes after the palette, left unread
};

// A reader over its cases, instantiated once per format under the format's
// own name (INSTANTIATE_TEST_SUITE_P(act, FormatReader, ...)); the pattern
// itself is in div_family_test.cpp. Each case is read through a source of
// whole reads and one of single bytes, and detected.
class FormatReader : public testing::TestWithParam<ReaderCase> {
protected:
    static std::string formatName()
    {
        const std::string suite = testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
        return suite.substr(0, suite.find('/'));
    }
};

} // namespace corvane::test
