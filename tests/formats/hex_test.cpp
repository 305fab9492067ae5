#include "format_checks.h"
#include "hex.h"

namespace corvane::formats {
namespace {

using namespace std::string_literals;
using namespace checks;
using HexRead = ReadTest;

TEST_P(HexRead, ReadsLospecLinesAndNamesTheBadLine)
{
    checkRead("hex", GetParam());
}

constexpr const char* BadLine = " : une couleur s'écrit RRGGBB, six chiffres hexadécimaux";
// Detection sees 64 KiB: a line the head cuts short is not judged there.
const std::string Filler = [] {
    std::string text;
    while (text.size() < HeadBytes)
        text += "000000\n";
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Cases, HexRead,
    testing::Values(ReadCase{"Lospec", sampleBytes("lospec24.hex"), true, "Palette hexadécimale (Lospec), 24 couleurs"},
                    ReadCase{"HashCrLfUpperCase", sampleBytes("hex16-diese-crlf.hex"), true,
                             "Palette hexadécimale (Lospec), 16 couleurs"},
                    ReadCase{"MixedBlankLinesNoFinalEnd", "\n#0a0B0c\r\n\r\nFFffff", true,
                             "Palette hexadécimale (Lospec), 2 couleurs : 10 11 12, 255 255 255"},
                    ReadCase{"Empty", "", false, "la palette n'a aucune couleur"},
                    ReadCase{"OnlyLineEnds", "\n\r\n", false, "la palette n'a aucune couleur"},
                    ReadCase{"FiveDigits", "00000\n", false, "ligne 1 « 00000 »"s + BadLine},
                    ReadCase{"NotHex", "ffffff\n00000g\n", false, "ligne 2 « 00000g »"s + BadLine},
                    ReadCase{"Blank", "ffffff\n ffffff\n", false, "ligne 2 «  ffffff »"s + BadLine},
                    ReadCase{"TwoHashes", "##ffffff\n", false, "ligne 1 « ##ffffff »"s + BadLine},
                    ReadCase{"LastLineCountsWhenWhole", "ffffff\nfff", false, "ligne 2 « fff »"s + BadLine},
                    ReadCase{"LineCutByTheHead", Filler + "x", true,
                             "ligne " + std::to_string(Filler.size() / 7 + 1) + " « x »" + BadLine}),
    corvane::test::ByName{});

TEST(HexWrite, WritesTheSamplesExpectedBytesAndReadsThemBack)
{
    EXPECT_GE(checkWriterOnSamples("hex"), 21U);
    Palette palette;
    palette.colours = {{0, 171, 255}, {-1, 0, 0}};
    std::string out;
    EXPECT_EQ(writeHex(palette, {}, out), "couleur 1 : niveau -1 hors de 0 à 255");
    palette.colours.pop_back();
    EXPECT_FALSE(writeHex(palette, {}, out));
    EXPECT_EQ(out, "00abff\n");
}

} // namespace
} // namespace corvane::formats
