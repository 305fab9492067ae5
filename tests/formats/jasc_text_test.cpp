#include "format_checks.h"
#include "jasc_text.h"

namespace corvane::formats {
namespace {

using namespace std::string_literals;
using namespace checks;
using JascRead = ReadTest;

TEST_P(JascRead, ReadsWhatOtherToolsWriteAndNamesTheBadLine)
{
    checkRead("jasc", GetParam());
}

constexpr const char* BadEntry = " : une couleur JASC-PAL s'écrit en trois nombres de 0 à 255, plus l'alpha au besoin";

INSTANTIATE_TEST_SUITE_P(
    Cases, JascRead,
    testing::Values(
        ReadCase{"Lf", sampleBytes("jasc224-lf.pal"), true, "Palette JASC-PAL, 224 couleurs"},
        ReadCase{"LfNoFinalEnd", sampleBytes("jasc16-lf-sans-fin.pal"), true, "Palette JASC-PAL, 16 couleurs"},
        ReadCase{"BomAlphaCrLf", sampleBytes("jasc16-bom-alpha.pal"), true, "Palette JASC-PAL, 16 couleurs"},
        ReadCase{"Cr", sampleBytes("jasc16-cr.pal"), true, "Palette JASC-PAL, 16 couleurs"},
        ReadCase{"BlanksTabsAlphaAndStopAfterLast", "JASC-PAL\n0100\n 2 \n\t1 2\t3\n4  5 6 0 \nnot read", true,
                 "Palette JASC-PAL, 2 couleurs : 1 2 3, 4 5 6"},
        ReadCase{"Levels0To255", "JASC-PAL\r0100\r1\r000 255 0", true, "Palette JASC-PAL, 1 couleur : 0 255 0"},
        ReadCase{"NotJasc", "JASC-PAL \n0100\n1\n1 2 3\n", false, "ce n'est pas un fichier JASC-PAL"},
        ReadCase{"Empty", "", false, "ce n'est pas un fichier JASC-PAL"},
        ReadCase{"NoCount", "JASC-PAL\n0100\n", true, "le fichier s'arrête avant son nombre de couleurs"},
        ReadCase{"CountNotANumber", "JASC-PAL\n0100\n-16\n", true, "ligne 3 « -16 » : nombre de couleurs illisible"},
        ReadCase{"CountTwoNumbers", "JASC-PAL\n0100\n1 6\n", true, "ligne 3 « 1 6 » : nombre de couleurs illisible"},
        ReadCase{"CountZero", "JASC-PAL\n0100\n0\n", true, "ligne 3 « 0 » : la palette n'a aucune couleur"},
        ReadCase{"CountTooLarge", "JASC-PAL\n0100\n32768\n", true,
                 "ligne 3 « 32768 » : plus de 32767 couleurs : trop pour Corvane"},
        ReadCase{"TooFewLines", "JASC-PAL\n0100\n3\n1 2 3\n\n", true, "ligne 5 «  »"s + BadEntry},
        ReadCase{"EndsBeforeAnEntry", "JASC-PAL\n0100\n3\n1 2 3\n", true,
                 "le fichier s'arrête avant sa couleur 1 (il en annonce 3)"},
        ReadCase{"LevelTooLarge", "JASC-PAL\n0100\n1\n1 256 3\n", true, "ligne 4 « 1 256 3 »"s + BadEntry},
        ReadCase{"AlphaTooLarge", "JASC-PAL\n0100\n1\n1 2 3 300\n", true, "ligne 4 « 1 2 3 300 »"s + BadEntry},
        ReadCase{"FiveNumbers", "JASC-PAL\n0100\n1\n1 2 3 4 5\n", true, "ligne 4 « 1 2 3 4 5 »"s + BadEntry},
        ReadCase{"TwoNumbers", "JASC-PAL\n0100\n1\n1 2\n", true, "ligne 4 « 1 2 »"s + BadEntry},
        ReadCase{"NegativeLevel", "JASC-PAL\n0100\n1\n1 -2 3\n", true, "ligne 4 « 1 -2 3 »"s + BadEntry},
        ReadCase{"CutLine", "JASC-PAL\n0100\n1\n1 2 3" + std::string(2000, ' ') + "\n", true,
                 "ligne 4 « 1 2 3" + std::string(35, ' ') + "… »" + BadEntry}),
    corvane::test::ByName{});

TEST(JascWrite, WritesTheSamplesExpectedBytesAndReadsThemBack)
{
    EXPECT_GE(checkWriterOnSamples("jasc"), 21U);
    // Any level the window holds, as the window writes it; nothing from nothing.
    Palette palette;
    palette.colours = {{-3, 300, 7}};
    std::string out;
    EXPECT_FALSE(writeJasc(palette, {}, out));
    EXPECT_EQ(out, "JASC-PAL\r\n0100\r\n1\r\n-3 300 7\r\n");
    EXPECT_EQ(writeJasc(Palette{}, {}, out), "la palette n'a aucune couleur");
}

} // namespace
} // namespace corvane::formats
