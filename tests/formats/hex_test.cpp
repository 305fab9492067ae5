#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

constexpr const char* BadLine = " : une couleur s'écrit RRGGBB, six chiffres hexadécimaux";
// Detection sees 64 KiB: a line the head cuts short is not judged there.
const std::string Filler = [] {
    std::string text;
    while (text.size() < formats::HeadBytes)
        text += "000000\n";
    return text;
}();

const ReaderCase HexCases[] = {
    {"Lospec", true, sampleBytes("hex/lospec24.hex"), "Palette hexadécimale (Lospec), 24 couleurs"},
    {"MixedBlankLinesNoFinalEnd", true, "\n#0a0B0c\r\n\r\nFFffff",
     "Palette hexadécimale (Lospec), 2 couleurs : 10 11 12, 255 255 255"},
    {"Empty", false, "", "la palette n'a aucune couleur"},
    {"OnlyLineEnds", false, "\n\r\n", "la palette n'a aucune couleur"},
    {"FiveDigits", false, "00000\n", "ligne 1 « 00000 »"s + BadLine},
    {"NotHex", false, "ffffff\n00000g\n", "ligne 2 « 00000g »"s + BadLine},
    {"PastedList", true, "#010203, 040506\t#070809  \n,ffffff,",
     "Palette hexadécimale (Lospec), 4 couleurs : 1 2 3, 4 5 6, 7 8 9, 255 255 255"},
    {"ListOfEightDigits", false, "ffffff 00ffffff\n", "ligne 1 « ffffff 00ffffff »"s + BadLine},
    {"TwoHashes", false, "##ffffff\n", "ligne 1 « ##ffffff »"s + BadLine},
    {"LastLineCountsWhenWhole", false, "ffffff\nfff", "ligne 2 « fff »"s + BadLine},
    {"LineCutByTheHead", true, Filler + "x", "ligne " + std::to_string(Filler.size() / 7 + 1) + " « x »" + BadLine},
};

INSTANTIATE_TEST_SUITE_P(hex, FormatReader, testing::ValuesIn(HexCases), ByName());

} // namespace
} // namespace corvane::test
