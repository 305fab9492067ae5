// Every reader over its table of cases, and every writer against the expected
// outputs make_samples.py computes beside the samples (SAMPLE.FORMAT.attendu).
#include "format_checks.h"

#include "input.h"
#include "levels.h"

#include <set>

namespace corvane::test {
namespace {

std::string outcomeOf(const formats::Format& format, ByteSource& source)
{
    formats::Palette palette;
    if (formats::Problem problem = format.read(source, palette))
        return *problem;
    std::string outcome = palette.kind + ", " + formats::colourCount(palette.colours.size());
    for (std::size_t k = 0; k < palette.colours.size() && palette.colours.size() <= 4; ++k)
        outcome += (k == 0 ? " : " : ", ") + std::to_string(palette.colours[k][0]) + ' ' +
                   std::to_string(palette.colours[k][1]) + ' ' + std::to_string(palette.colours[k][2]);
    return outcome;
}

formats::Head headOf(std::string_view bytes)
{
    return {bytes.substr(0, formats::HeadBytes), bytes.size() <= formats::HeadBytes};
}

TEST_P(FormatReader, ReadsItsSamplesAndBadInputs)
{
    const ReaderCase& c = GetParam();
    const std::string suite = testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    const formats::Format* format = formats::formatNamed(suite.substr(0, suite.find('/')));
    ASSERT_NE(format, nullptr) << "instantiated under a name that is no format";
    EXPECT_EQ(formats::detects(*format, headOf(c.bytes)), c.detected);
    throughEverySource(c.bytes, [&](ByteSource& source) {
        EXPECT_EQ(outcomeOf(*format, source), c.outcome);
        std::string rest(c.bytes.size(), '\0');
        EXPECT_GE(readFully(source, rest.data(), rest.size()), c.rest) << "the reader went past its palette";
    });
}

// The palette corvane-convert takes from a sample, through its own input reader.
formats::Palette samplePalette(const std::string& bytes)
{
    TrickleSource source(bytes);
    intake::InputReader reader;
    intake::Input input;
    EXPECT_EQ(reader.read(source, nullptr, input), std::nullopt);
    EXPECT_TRUE(input.recognised()) << "no reader takes the sample";
    return input.palette;
}

class FormatWriter : public testing::TestWithParam<std::string_view> {};

// For every sample with an expected output in the format: the writer gives
// those bytes, and its reader takes them back to the same palette.
TEST_P(FormatWriter, WritesEveryExpectedOutputAndReadsItBack)
{
    const formats::Format& format = *formats::formatNamed(GetParam());
    // A writer proved by other readers has no expected output: every sample
    // written in hex is written and read back.
    const bool ownOutputs = !provedByOtherReaders(format.name);
    const std::string suffix = "." + std::string(ownOutputs ? format.name : "hex") + ".attendu";
    std::size_t checked = 0;
    for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(SampleDir)) {
        const std::string file = entry.path().string();
        if (!file.ends_with(suffix))
            continue;
        const std::filesystem::path sample = file.substr(0, file.size() - suffix.size());
        SCOPED_TRACE(sample.filename().string());
        const formats::WriteContext context{sample.stem().string()};
        const formats::Palette palette = samplePalette(fileBytes(sample));
        std::string written;
        ASSERT_EQ(format.write(palette, context, written), std::nullopt);
        if (ownOutputs) {
            EXPECT_EQ(written, fileBytes(entry.path()));
        }
        if (format.name == "css") { // only written
            ++checked;
            continue;
        }

        // A 6-bit format's levels come back times 4: written again, they are the same bytes.
        // A table of fixed size (gif's power of two, pcx's 256) comes back black after the last colour.
        TrickleSource source(written);
        formats::Palette back;
        ASSERT_EQ(format.read(source, back), std::nullopt);
        if (back.sixBit || back.colours.size() == palette.colours.size()) {
            std::string again;
            ASSERT_EQ(format.write(back, context, again), std::nullopt);
            EXPECT_EQ(again, written);
        }
        if (!back.sixBit) {
            std::vector<Entry> padded = palette.colours;
            padded.resize(std::max(padded.size(), back.colours.size()), Entry{0, 0, 0});
            EXPECT_EQ(back.colours, padded);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0u) << "no " << suffix << " file";
}

INSTANTIATE_TEST_SUITE_P(Every, FormatWriter, testing::ValuesIn([] {
                             std::vector<std::string_view> names;
                             for (const formats::Format& format : formats::allFormats())
                                 if (format.write != nullptr)
                                     names.push_back(format.name);
                             return names;
                         }()),
                         [](const testing::TestParamInfo<std::string_view>& name) { return std::string(name.param); });

// No sample holds what a writer must refuse: a level outside 0..255 for an
// 8-bit format, more colours than the format holds, or no colour at all. A
// refusal writes nothing. Every writer in the table is held to it.
TEST(FormatWriters, RefuseWhatTheirFormatCannotHold)
{
    const std::string Level = "couleur 1 : niveau 256 hors de 0 à 255";
    const std::string Negative = "couleur 1 : niveau -1 hors de 0 à 255";
    const std::string Div257 = "une palette DIV n'a que 256 couleurs, celle-ci en a 257";
    const std::string Most256 = "ce format n'a que 256 couleurs, la palette en a 257";
    // No level is refused by the 6-bit writers, which bring it within bounds
    // as the window does, nor by JASC-PAL's, which writes it as the window does.
    const std::set<std::string_view> SixBit{"div", "vga"};
    const std::set<std::string_view> AnyLevel{"div", "vga", "jasc"};
    formats::Palette bright, dark, many, none;
    bright.colours = {{0, 0, 0}, {0, 256, 0}};
    dark.colours = {{0, 0, 0}, {0, 0, -1}};
    many.colours.assign(257, Entry{1, 2, 3});
    for (const formats::Format& format : formats::allFormats()) {
        if (format.write == nullptr)
            continue;
        SCOPED_TRACE(format.name);
        const bool anyLevel = AnyLevel.contains(format.name);
        const std::string tooMany = format.maxColours > 256 ? "" : SixBit.contains(format.name) ? Div257 : Most256;
        for (const auto& [palette, problem] : {std::pair{&bright, anyLevel ? "" : Level},
                                               {&dark, anyLevel ? "" : Negative},
                                               {&many, tooMany},
                                               {&none, std::string("la palette n'a aucune couleur")}}) {
            std::string written = "unchanged";
            const formats::Problem got = format.write(*palette, {"x"}, written);
            EXPECT_EQ(got.value_or(""), problem);
            if (got) {
                EXPECT_EQ(written, "unchanged");
            }
        }
    }
}

} // namespace
} // namespace corvane::test
