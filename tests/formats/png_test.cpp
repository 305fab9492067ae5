#include "png.h"
#include "samples.h"
#include "support.h"

#include "load.h"

namespace corvane::test {
namespace {

using formats::Palette;

std::string sampleBytes(std::string_view name)
{
    return fileBytes(SampleDir / name);
}

struct ReadCase {
    std::string name;
    std::string bytes;
    formats::Problem problem;
    Entries colours; // the first, the second and the last
};

// Chunks of png16-4bits.png: signature 0-7, IHDR 8-32, pHYs 33-53, PLTE 54-113, then tRNS.
std::string png16(std::size_t size)
{
    return sampleBytes("png16-4bits.png").substr(0, size);
}
std::string png16ChangedAt(std::size_t at)
{
    std::string bytes = png16(std::string::npos);
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    return bytes;
}

class PngRead : public testing::TestWithParam<ReadCase> {};

TEST_P(PngRead, PlteEntriesOrOneLine)
{
    const ReadCase& c = GetParam();
    for (const bool trickle : {false, true}) {
        MemorySource whole(c.bytes);
        TrickleSource bytewise(c.bytes);
        Palette palette;
        const formats::Problem problem =
            formats::readPng(trickle ? static_cast<ByteSource&>(bytewise) : whole, palette);
        EXPECT_EQ(problem, c.problem) << "trickle " << trickle;
        if (problem)
            continue;
        ASSERT_GE(palette.colours.size(), 2u);
        EXPECT_EQ((Entries{palette.colours[0], palette.colours[1], palette.colours.back()}), c.colours);
        EXPECT_EQ(palette.kind, "Palette d'une image PNG");
        EXPECT_FALSE(palette.sixBit);
    }
    EXPECT_EQ(formats::detectPng({c.bytes, true}), c.name != "signature_wrong");
}

const std::string Unreadable = "image PNG illisible";

INSTANTIATE_TEST_SUITE_P(
    Samples, PngRead,
    testing::Values(
        ReadCase{"png16_4bits", png16(std::string::npos), {}, {{230, 92, 92}, {230, 143, 92}, {230, 92, 143}}},
        ReadCase{"png256_gimp", sampleBytes("png256-gimp.png"), {}, {{255, 178, 178}, {255, 207, 178}, {255, 19, 108}}},
        // Nothing past the palette is read, so a file cut just after it still gives it.
        ReadCase{"cut_after_plte", png16(114), {}, {{230, 92, 92}, {230, 143, 92}, {230, 92, 143}}},
        ReadCase{"truecolour", sampleBytes("png-rgb-sans-plte.png"), "image PNG sans palette (pas de bloc PLTE)", {}},
        ReadCase{"signature_only", png16(8), Unreadable, {}}, ReadCase{"cut_in_plte", png16(100), Unreadable, {}},
        ReadCase{"ihdr_crc_wrong", png16ChangedAt(20), Unreadable, {}},
        ReadCase{"signature_wrong", png16ChangedAt(1), Unreadable, {}}),
    ByName{});

// The palette of a sample as corvane-convert takes it: the window's reader
// first, then the format that detection names.
Palette paletteOf(const std::string& bytes)
{
    Palette palette;
    if (detectKind(bytes) != PaletteKind::Unknown) {
        MemorySource source(bytes);
        PaletteTable table;
        KindCaption caption;
        palette.sixBit = loadPalette(source, table, caption).kind == PaletteKind::Div;
        palette.colours = table.entries();
        return palette;
    }
    const formats::Format* format = formats::detectFormat(
        {std::string_view(bytes).substr(0, formats::HeadBytes), bytes.size() <= formats::HeadBytes});
    MemorySource source(bytes);
    EXPECT_TRUE(format != nullptr && !format->read(source, palette));
    return palette;
}

TEST(PngWrite, ExpectedBytesThatReadBack)
{
    constexpr std::string_view Suffix = ".png.attendu";
    int compared = 0;
    for (const auto& file : std::filesystem::directory_iterator(SampleDir)) {
        const std::string name = file.path().filename().string();
        if (!name.ends_with(Suffix))
            continue;
        SCOPED_TRACE(name);
        const Palette palette = paletteOf(sampleBytes(name.substr(0, name.size() - Suffix.size())));
        std::string written;
        ASSERT_EQ(formats::writePng(palette, {"x"}, written), std::nullopt);
        EXPECT_EQ(written, fileBytes(file.path()));
        MemorySource back(written);
        Palette read;
        EXPECT_EQ(formats::readPng(back, read), std::nullopt);
        EXPECT_EQ(read.colours, palette.colours);
        ++compared;
    }
    EXPECT_GE(compared, 3);

    Palette tooMany;
    tooMany.colours.assign(257, Entry{1, 2, 3});
    Palette tooBright;
    tooBright.colours = {{0, 0, 0}, {0, 256, 0}};
    std::string written = "unchanged";
    EXPECT_EQ(formats::writePng(tooMany, {"x"}, written), "ce format n'a que 256 couleurs, la palette en a 257");
    EXPECT_EQ(formats::writePng(tooBright, {"x"}, written), "couleur 1 : niveau 256 hors de 0 à 255");
    EXPECT_EQ(written, "unchanged");
}

} // namespace
} // namespace corvane::test
