#include "samples.h"
#include "support.h"
#include "vga.h"
#include "written_samples.h"

namespace corvane::test {
namespace {

std::string levelsWith(std::size_t at, char level)
{
    std::string levels(DivLevelBytes, '\x3F');
    levels[at] = level;
    return levels;
}

const ReaderCase VgaCases[] = {
    {"sample", true, fileBytes(SampleDir / "vga-braises.pal"), "Palette VGA brute (768 octets)", 256},
    {"followed_by_more", false, levelsWith(0, '\0') + "\x40", "Palette VGA brute (768 octets)", 256, 1},
    {"level_64", false, levelsWith(3 * 17 + 2, '\x40'), "Palette VGA brute (768 octets)", 256},
    {"short", false, std::string(DivLevelBytes - 1, '\0'), "une palette VGA fait 768 octets"},
};

INSTANTIATE_TEST_SUITE_P(vga, FormatReader, testing::ValuesIn(VgaCases), ByName());

TEST(VgaWriter, WritesEveryExpectedOutput)
{
    expectEveryExpectedOutput("vga");
}

} // namespace
} // namespace corvane::test
