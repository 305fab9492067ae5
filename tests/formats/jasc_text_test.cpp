#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

const std::string Head = "JASC-PAL\n0100\n";
constexpr const char* BadEntry = " : une couleur JASC-PAL s'écrit en trois nombres de 0 à 255, plus l'alpha au besoin";

const ReaderCase JascCases[] = {
    {"BomAlphaCrLf", true, sampleBytes("jasc/jasc16-bom-alpha.pal"), "Palette JASC-PAL, 16 couleurs"},
    {"BlanksTabsAlphaAndStopAfterLast", true, Head + " 2 \n\t1 2\t3\n4  5 6 0 \nnot read",
     "Palette JASC-PAL, 2 couleurs : 1 2 3, 4 5 6"},
    {"Levels0To255", true, "JASC-PAL\r0100\r1\r000 255 0", "Palette JASC-PAL, 1 couleur : 0 255 0"},
    {"NotJasc", false, "JASC-PAL \n0100\n1\n1 2 3\n", "ce n'est pas un fichier JASC-PAL"},
    {"Empty", false, "", "ce n'est pas un fichier JASC-PAL"},
    {"NoCount", true, Head, "le fichier s'arrête avant son nombre de couleurs"},
    {"CountNotANumber", true, Head + "-16\n", "ligne 3 « -16 » : nombre de couleurs illisible"},
    {"CountTwoNumbers", true, Head + "1 6\n", "ligne 3 « 1 6 » : nombre de couleurs illisible"},
    {"CountZero", true, Head + "0\n", "ligne 3 « 0 » : la palette n'a aucune couleur"},
    {"CountTooLarge", true, Head + "32768\n", "ligne 3 « 32768 » : plus de 32767 couleurs : trop pour Corvane"},
    {"TooFewLines", true, Head + "3\n1 2 3\n\n", "ligne 5 «  »"s + BadEntry},
    {"EndsBeforeAnEntry", true, Head + "3\n1 2 3\n", "le fichier s'arrête avant sa couleur 1 (il en annonce 3)"},
    {"LevelTooLarge", true, Head + "1\n1 256 3\n", "ligne 4 « 1 256 3 »"s + BadEntry},
    {"AlphaTooLarge", true, Head + "1\n1 2 3 300\n", "ligne 4 « 1 2 3 300 »"s + BadEntry},
    {"FiveNumbers", true, Head + "1\n1 2 3 4 5\n", "ligne 4 « 1 2 3 4 5 »"s + BadEntry},
    {"TwoNumbers", true, Head + "1\n1 2\n", "ligne 4 « 1 2 »"s + BadEntry},
    {"NegativeLevel", true, Head + "1\n1 -2 3\n", "ligne 4 « 1 -2 3 »"s + BadEntry},
    {"CutLine", true, Head + "1\n1 2 3" + std::string(2000, ' ') + "\n",
     "ligne 4 « 1 2 3" + std::string(35, ' ') + "… »" + BadEntry},
};

INSTANTIATE_TEST_SUITE_P(jasc, FormatReader, testing::ValuesIn(JascCases), ByName());

// No sample holds a level outside 0..255: jasc writes it as the window does.
TEST(JascWriter, WritesAnyLevelAsTheWindow)
{
    formats::Palette palette;
    palette.colours = {{-3, 300, 7}};
    std::string out;
    ASSERT_FALSE(formats::formatNamed("jasc")->write(palette, {}, out));
    EXPECT_EQ(out, "JASC-PAL\r\n0100\r\n1\r\n-3 300 7\r\n");
}

} // namespace
} // namespace corvane::test
