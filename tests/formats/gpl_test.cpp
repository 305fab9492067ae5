#include "format_checks.h"
#include "gpl.h"

namespace corvane::formats {
namespace {

using namespace std::string_literals;
using namespace checks;
using GplRead = ReadTest;

TEST_P(GplRead, ReadsWhatGimpAndOthersWriteAndNamesTheBadLine)
{
    checkRead("gpl", GetParam());
}

constexpr const char* BadEntry = " : une couleur GIMP s'écrit en trois nombres de 0 à 255";
const std::string Head = "GIMP Palette\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, GplRead,
    testing::Values(
        ReadCase{"Gimp210", sampleBytes("gimp32.gpl"), true, "Palette GIMP, 32 couleurs"},
        ReadCase{"TabsNoColumnsCrLf", sampleBytes("gimp8-tabs-crlf.gpl"), true, "Palette GIMP, 8 couleurs"},
        ReadCase{"HeaderCommentsBlanksAndNames",
                 Head + "Name: x\nColumns: 4\n#\n# 1 2\n \t\n  1   2   3\tUntitled\n4 5 6 nom  long\n7\t8\t9", true,
                 "Palette GIMP, 3 couleurs : 1 2 3, 4 5 6, 7 8 9"},
        ReadCase{"BomAndCr", "\xEF\xBB\xBFGIMP Palette\r0 0 255\r", true, "Palette GIMP, 1 couleur : 0 0 255"},
        ReadCase{"LongNameCut", Head + "1 2 3 " + std::string(5000, 'n'), true, "Palette GIMP, 1 couleur : 1 2 3"},
        ReadCase{"NotGimp", "GIMP palette\n1 2 3\n", false, "ce n'est pas une palette GIMP"},
        ReadCase{"NoColour", Head + "Name: vide\n", true, "la palette n'a aucune couleur"},
        ReadCase{"TwoNumbers", Head + "1 2\n", true, "ligne 2 « 1 2 »"s + BadEntry},
        ReadCase{"LevelTooLarge", Head + "1 2 256\n", true, "ligne 2 « 1 2 256 »"s + BadEntry},
        ReadCase{"NameWithoutBlank", Head + "1 2 3x\n", true, "ligne 2 « 1 2 3x »"s + BadEntry},
        ReadCase{"Negative", Head + "#\n-1 2 3\n", true, "ligne 3 « -1 2 3 »"s + BadEntry},
        ReadCase{"EntryPastKeptBytes", Head + std::string(1022, ' ') + "1 2 3\n", true,
                 "ligne 2 « " + std::string(40, ' ') + "… »" + BadEntry}),
    corvane::test::ByName{});

TEST(GplRead, RefusesMoreThan32767Colours)
{
    std::string text = Head;
    for (std::size_t k = 0; k <= MaxColours; ++k)
        text += "1 2 3\n";
    MemorySource source(text);
    Palette palette;
    EXPECT_EQ(readGpl(source, palette), "plus de 32767 couleurs : trop pour Corvane");
}

TEST(GplWrite, WritesTheSamplesExpectedBytesAndReadsThemBack)
{
    EXPECT_GE(checkWriterOnSamples("gpl"), 21U);
    Palette palette;
    palette.colours = {{0, 128, 255}};
    std::string out;
    EXPECT_FALSE(writeGpl(palette, {"a\tb\x7F"}, out));
    EXPECT_EQ(out, "GIMP Palette\nName: a_b_\nColumns: 16\n  0 128 255\n");
    palette.colours.push_back({1, 256, 2});
    EXPECT_EQ(writeGpl(palette, {"x"}, out), "couleur 1 : niveau 256 hors de 0 à 255");
}

} // namespace
} // namespace corvane::formats
