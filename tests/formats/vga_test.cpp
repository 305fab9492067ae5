#include "format_checks.h"

namespace corvane::test {
namespace {

std::string levelsWith(std::size_t at, char level)
{
    std::string levels(DivLevelBytes, '\x3F');
    levels[at] = level;
    return levels;
}

const ReaderCase VgaCases[] = {
    {"sample", true, sampleBytes("vga/vga-braises.pal"), "Palette VGA brute (768 octets), 256 couleurs"},
    {"followed_by_more", false, levelsWith(0, '\0') + "\x40", "Palette VGA brute (768 octets), 256 couleurs", 1},
    {"level_64", false, levelsWith(3 * 17 + 2, '\x40'), "Palette VGA brute (768 octets), 256 couleurs"},
    {"short", false, std::string(DivLevelBytes - 1, '\0'), "une palette VGA fait 768 octets"},
};

INSTANTIATE_TEST_SUITE_P(vga, FormatReader, testing::ValuesIn(VgaCases), ByName());

} // namespace
} // namespace corvane::test
