#include "act.h"
#include "samples.h"
#include "support.h"
#include "written_samples.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::string counted(std::string_view count)
{
    return std::string(768, '\x80') + std::string(count) + "\xFF\xFF"s;
}

const ReaderCase ActCases[] = {
    {"table", true, fileBytes(SampleDir / "act256-photoshop.act"), "Table de couleurs Adobe", 256},
    {"counted_transparent_index_ignored", true, fileBytes(SampleDir / "act40-photoshop.act"), "Table de couleurs Adobe",
     40},
    {"count_256", true, counted("\x01\x00"s), "Table de couleurs Adobe", 256},
    {"count_0", true, counted("\x00\x00"s), "nombre de couleurs 0 hors de 1 à 256"},
    {"count_257", true, counted("\x01\x01"s), "nombre de couleurs 257 hors de 1 à 256"},
    {"other_size", false, std::string(769, '\x80'), "une table de couleurs Adobe fait 768 ou 772 octets"},
};

INSTANTIATE_TEST_SUITE_P(act, FormatReader, testing::ValuesIn(ActCases), ByName());

TEST(ActWriter, WritesEveryExpectedOutput)
{
    expectEveryExpectedOutput("act");

    formats::Palette palette;
    palette.colours = {{0, 255, 256}};
    std::string out;
    EXPECT_EQ(formats::writeAct(palette, {}, out), "couleur 0 : niveau 256 hors de 0 à 255");
}

} // namespace
} // namespace corvane::test
