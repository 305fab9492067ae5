#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

const std::string Head = "GIMP Palette\n";
constexpr const char* BadEntry = " : une couleur GIMP s'écrit en trois nombres de 0 à 255";

const ReaderCase GplCases[] = {
    {"Gimp210", true, sampleBytes("gpl/gimp32.gpl"), "Palette GIMP, 32 couleurs"},
    {"HeaderCommentsBlanksAndNames", true,
     Head + "Name: x\nColumns: 4\n#\n# 1 2\n \t\n  1   2   3\tUntitled\n4 5 6 nom  long\n7\t8\t9",
     "Palette GIMP, 3 couleurs : 1 2 3, 4 5 6, 7 8 9"},
    {"BomAndCr", true, "\xEF\xBB\xBFGIMP Palette\r0 0 255\r", "Palette GIMP, 1 couleur : 0 0 255"},
    {"LongNameCut", true, Head + "1 2 3 " + std::string(5000, 'n'), "Palette GIMP, 1 couleur : 1 2 3"},
    {"NotGimp", false, "GIMP palette\n1 2 3\n", "ce n'est pas une palette GIMP"},
    {"NoColour", true, Head + "Name: vide\n", "la palette n'a aucune couleur"},
    {"TwoNumbers", true, Head + "1 2\n", "ligne 2 « 1 2 »"s + BadEntry},
    {"LevelTooLarge", true, Head + "1 2 256\n", "ligne 2 « 1 2 256 »"s + BadEntry},
    {"NameWithoutBlank", true, Head + "1 2 3x\n", "ligne 2 « 1 2 3x »"s + BadEntry},
    {"Negative", true, Head + "#\n-1 2 3\n", "ligne 3 « -1 2 3 »"s + BadEntry},
    {"EntryPastKeptBytes", true, Head + std::string(1022, ' ') + "1 2 3\n",
     "ligne 2 « " + std::string(40, ' ') + "… »" + BadEntry},
    {"MoreThan32767Colours", true,
     [] {
         std::string text = Head;
         for (std::size_t k = 0; k <= formats::MaxColours; ++k)
             text += "1 2 3\n";
         return text;
     }(),
     "plus de 32767 couleurs : trop pour Corvane"},
};

INSTANTIATE_TEST_SUITE_P(gpl, FormatReader, testing::ValuesIn(GplCases), ByName());

// No sample's name holds a control byte: GIMP's Name line must not break
// there, and keeps a UTF-8 name as it is.
TEST(GplWriter, NameLineHasNoControlBytes)
{
    formats::Palette palette;
    palette.colours = {{0, 128, 255}};
    std::string out;
    ASSERT_FALSE(formats::formatNamed("gpl")->write(palette, {"a\tb\x7F\xC3\xA9t\xC3\xA9"}, out));
    EXPECT_TRUE(out.starts_with("GIMP Palette\nName: a_b_\xC3\xA9t\xC3\xA9\n")) << out;
}

} // namespace
} // namespace corvane::test
