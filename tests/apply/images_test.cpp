// The image formats' recolourings over their samples, both ways: keeping the
// indices changes the tables' bytes alone; recolouring makes every pixel, as
// Pillow shows it before and after, the palette's nearest colour to the one it
// showed, a transparent pixel staying transparent.
#include "indexed.h"
#include "samples.h"
#include "support.h"

#include <cstdio>
#include <cstring>

namespace corvane::apply {
namespace {

using test::fileBytes;
using test::SampleDir;
using Rgba = std::array<std::uint8_t, 4>;

TEST(Recolourers, NearestTiesGoLow)
{
    Nearest nearest({{0, 0, 0}, {255, 255, 255}, {0, 0, 0}});
    EXPECT_EQ(nearest.index(10, 10, 10), 0);
    EXPECT_EQ(nearest.index(250, 250, 250), 1);
    Nearest withoutFirst({{0, 0, 0}, {255, 255, 255}, {0, 0, 0}}, 0);
    EXPECT_EQ(withoutFirst.index(10, 10, 10), 2);
}

Palette paletteOf(const std::string& sample)
{
    const std::string bytes = fileBytes(SampleDir / sample);
    const std::string_view view = bytes;
    const formats::Format* format =
        formats::detectFormat({view.substr(0, formats::HeadBytes), view.size() <= formats::HeadBytes});
    Palette palette;
    MemorySource source(bytes);
    EXPECT_TRUE(format != nullptr && !format->read(source, palette)) << sample;
    return palette;
}

struct Frame {
    std::uint32_t width = 0;
    std::vector<Rgba> pixels;
};

// Every frame as Pillow shows it; an ILBM or PBM as this program reads it, Pillow reading neither.
std::vector<Frame> shown(const std::string& bytes, std::string_view format)
{
    Frame frame;
    if (format == "lbm") {
        EXPECT_EQ(lbmColours(bytes, frame.width, frame.pixels), std::nullopt);
        return {frame};
    }
    const test::ScratchDir dir;
    const std::string command = CORVANE_PILLOW_PIXELS " '" + dir.write("image", bytes).string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0) << command;
    std::vector<Frame> frames;
    for (std::size_t at = 0; at + 8 <= out.size();) {
        std::uint32_t size[2];
        std::memcpy(size, out.data() + at, 8);
        frame.width = size[0];
        frame.pixels.resize(std::size_t{size[0]} * size[1]);
        std::memcpy(frame.pixels.data(), out.data() + at + 8, 4 * frame.pixels.size());
        at += 8 + 4 * frame.pixels.size();
        frames.push_back(frame);
    }
    return frames;
}

// A colour table in a file; `at` below 0 counts from its end.
struct Table {
    std::ptrdiff_t at;
    std::size_t count;
    TableLayout layout = {};
};
constexpr TableLayout Bgrx{4, true}, Bgr{3, true};

struct ImageCase {
    std::string name;                            // the sample, under tests/data
    std::string palette;                         // the palette put into it
    std::vector<Table> tables;                   // none: keeping its indices is refused, it has none
    std::optional<std::size_t> transparent = {}; // the index no colour goes to
};

const std::string Hex24 = "hex/lospec24.hex", Hex16 = "hex/hex16-diese-crlf.hex", BlackWhite = "bmp/bmp1-os2.bmp",
                  Jasc256 = "jasc/jasc256-lf.pal";

const ImageCase ImageCases[] = {
    {"gif/gif87-4.gif", Hex24, {{13, 4}}},
    {"gif/gif89-16-transparent.gif", Hex16, {{13, 16}}, 0},
    {"gif/gif89-32-locale.gif", BlackWhite, {{42, 32}}},
    // Frames of their own tables; 40, transparent, past the palette's end.
    {"gif/pillow-anime.gif", Hex24, {{13, 64}, {540, 64}, {1011, 64}}, 40},
    {"gif/pillow-entrelacee.gif", Jasc256, {{13, 256}}},
    {"bmp/bmp8-windows.bmp", BlackWhite, {{54, 256, Bgrx}}},
    {"bmp/bmp4-v5.bmp", Hex16, {{138, 12, Bgrx}}},
    {"bmp/bmp1-os2.bmp", Hex24, {{26, 2, Bgr}}},
    {"bmp/bmp8-rle.bmp", Hex24, {{54, 40, Bgrx}}},
    {"bmp/bmp4-rle.bmp", Jasc256, {{54, 16, Bgrx}}},
    {"bmp/bmp24-sans-palette.bmp", Hex16, {}},
    {"bmp/pillow-rgb24.bmp", Jasc256, {}},
    {"bmp/pillow-rgba32.bmp", Hex24, {}},
    {"pcx/pcx256-v5.pcx", Hex24, {{-768, 256}}},
    {"pcx/pcx16-ega.pcx", BlackWhite, {{16, 16}}},
    {"pcx/pillow-1bit.pcx", Hex16, {{16, 16}}},
    {"pcx/pillow-rgb.pcx", Jasc256, {}},
    // Colour 3 transparent.
    {"lbm/deluxe24-byterun.lbm", BlackWhite, {{48, 24}}, 3},
    {"lbm/deluxe24-pbm-byterun.lbm", Jasc256, {{48, 24}}},
};

struct FailingSink final : ByteSink {
    bool write(std::string_view) override { return false; }
};

class ImageRecolouring : public testing::TestWithParam<ImageCase> {};

TEST_P(ImageRecolouring, KeepsTheIndicesOrRecoloursEachPixelToTheNearest)
{
    const ImageCase& c = GetParam();
    const std::string format = c.name.substr(0, c.name.find('/'));
    const std::string input = fileBytes(SampleDir / c.name);
    const Palette palette = paletteOf(c.palette);
    const Recolourer& recolourer = *recolourerFor(format);

    // Keep: the tables are the palette, black after; every other byte as it was.
    test::throughEverySource(input, [&](ByteSource& source) {
        StringSink kept;
        Outcome outcome;
        const Problem problem = recolourer.apply(source, palette, Mode::KeepIndices, kept, outcome);
        if (c.tables.empty()) {
            EXPECT_EQ(problem, "image sans palette : --remap la recolore");
            return;
        }
        ASSERT_EQ(problem, std::nullopt);
        std::string expected = input;
        std::size_t most = 0;
        for (const Table& table : c.tables) {
            putPalette(palette, expected.data() + (table.at < 0 ? expected.size() : 0) + table.at, table.count,
                       table.layout);
            most = std::max(most, table.count);
        }
        EXPECT_EQ(kept.content, expected);
        EXPECT_EQ(outcome.tableColours, most);
    });

    // Remap: each opaque pixel the palette's colour nearest to the one it showed.
    StringSink recoloured;
    Outcome outcome;
    MemorySource source(input);
    ASSERT_EQ(recolourer.apply(source, palette, Mode::Remap, recoloured, outcome), std::nullopt);
    const std::vector<Frame> before = shown(input, format), after = shown(recoloured.content, format);
    ASSERT_EQ(before.size(), after.size());
    Nearest nearest(palette.colours, c.transparent);
    for (std::size_t f = 0; f < before.size(); ++f) {
        ASSERT_EQ(before[f].width, after[f].width);
        ASSERT_EQ(before[f].pixels.size(), after[f].pixels.size());
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < before[f].pixels.size(); ++k) {
            const Rgba& was = before[f].pixels[k];
            Rgba expected = was;
            if (was[3] != 0) {
                const auto rgb = paletteColour(palette, nearest.index(was[0], was[1], was[2]));
                expected = {rgb[0], rgb[1], rgb[2], was[3]};
            }
            wrong += after[f].pixels[k] != expected && !(was[3] == 0 && after[f].pixels[k][3] == 0);
        }
        EXPECT_EQ(wrong, 0u) << "frame " << f;
    }

    // Cut in half: refused either way. Whole, into a sink that fails: said so.
    for (const Mode mode : {Mode::KeepIndices, Mode::Remap}) {
        MemorySource half(std::string_view(input).substr(0, input.size() / 2)), whole(input);
        StringSink ignored;
        FailingSink failing;
        EXPECT_NE(recolourer.apply(half, palette, mode, ignored, outcome), std::nullopt);
        if (mode == Mode::Remap || !c.tables.empty()) {
            EXPECT_EQ(recolourer.apply(whole, palette, mode, failing, outcome), std::string(WriteFailed));
        }
    }
}
INSTANTIATE_TEST_SUITE_P(images, ImageRecolouring, testing::ValuesIn(ImageCases), test::ByName());

std::string changed(std::string bytes, std::size_t at, std::string_view with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

std::string sample(const std::string& name, std::size_t cut = 0)
{
    const std::string bytes = fileBytes(SampleDir / name);
    return bytes.substr(0, bytes.size() - cut);
}

struct BadCase {
    std::string name;
    std::string format;
    std::string bytes;
    std::string why;
    bool keepRefuses = true; // else only --remap refuses it
};

using namespace std::string_literals;

const std::string Gif16 = sample("gif/gif89-16-transparent.gif"), Ilbm = sample("lbm/deluxe24-byterun.lbm");

const BadCase BadCases[] = {
    {"gif_without_trailer", "gif", sample("gif/gif87-4.gif", 1), "image GIF coupée avant son octet de fin (0x3B)"},
    {"gif_cut_in_table", "gif", Gif16.substr(0, 40), "image GIF coupée dans sa table de couleurs"},
    {"gif_unknown_block", "gif", Gif16.substr(0, 13 + 48) + "\x99", "image GIF illisible"},
    {"gif_frame_without_table", "gif",
     "GIF89a\x01\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;"s,
     "image GIF sans table de couleurs"},
    {"bmp_300_used", "bmp", changed(sample("bmp/bmp8-windows.bmp"), 46, "\x2c\x01"),
     "image BMP de 8 bits par pixel annonçant 300 couleurs"},
    {"bmp_runs_cut", "bmp", sample("bmp/bmp8-rle.bmp", 2), "image BMP coupée : 21 × 9 pixels annoncés"},
    {"bmp_rows_cut", "bmp", sample("bmp/bmp8-windows.bmp", 1), "image BMP coupée : 256 × 256 pixels annoncés"},
    {"bmp_jpeg", "bmp", changed(sample("bmp/bmp4-v5.bmp"), 30, "\x04"), "image BMP à la compression inconnue (4)"},
    {"pcx_cut", "pcx", sample("pcx/pcx16-ega.pcx", 10), "image PCX coupée : 16 × 4 pixels annoncés"},
    {"pcx_4_planes_of_4_bits", "pcx", changed(sample("pcx/pcx16-ega.pcx"), 3, "\x04"), "image PCX illisible"},
    // Two samples whose BODY is shorter than their BMHD says.
    {"ilbm_body_cut", "lbm", sample("lbm/deluxe32.lbm"), "image IFF coupée dans son bloc BODY"},
    {"pbm_body_cut", "lbm", sample("lbm/deluxe16-pbm.lbm"), "image IFF coupée dans son bloc BODY"},
    {"cmap_cut", "lbm", changed(Ilbm, 44, "\x01"), "le fichier s'arrête dans son bloc CMAP (16777288 octets annoncés)"},
    {"ham", "lbm", changed(Ilbm, 130, "\x48"), "image IFF ILBM en mode HAM : ses couleurs ne sont pas dans sa palette",
     false},
    {"not_iff", "lbm", changed(Ilbm, 8, "ACBM"), "ce n'est pas une image IFF ILBM ou PBM"},
};

class BadImage : public testing::TestWithParam<BadCase> {};

// One French text, either way or with --remap alone.
TEST_P(BadImage, IsRefused)
{
    const BadCase& c = GetParam();
    for (const Mode mode : {Mode::KeepIndices, Mode::Remap}) {
        MemorySource source(c.bytes);
        StringSink ignored;
        Outcome outcome;
        const Problem problem = recolourerFor(c.format)->apply(source, paletteOf(Hex24), mode, ignored, outcome);
        if (mode == Mode::Remap || c.keepRefuses)
            EXPECT_EQ(problem, c.why);
        else
            EXPECT_EQ(problem, std::nullopt);
    }
}
INSTANTIATE_TEST_SUITE_P(images, BadImage, testing::ValuesIn(BadCases), test::ByName());

} // namespace
} // namespace corvane::apply
