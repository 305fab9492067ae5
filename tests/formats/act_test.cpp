#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::string counted(std::string_view count)
{
    return std::string(768, '\x80') + std::string(count) + "\xFF\xFF"s;
}

const ReaderCase ActCases[] = {
    {"table", true, sampleBytes("act/act256-photoshop.act"), "Table de couleurs Adobe, 256 couleurs"},
    {"counted_transparent_index_ignored", true, sampleBytes("act/act40-photoshop.act"),
     "Table de couleurs Adobe, 40 couleurs"},
    {"count_256", true, counted("\x01\x00"s), "Table de couleurs Adobe, 256 couleurs"},
    {"count_0", true, counted("\x00\x00"s), "nombre de couleurs 0 hors de 1 à 256"},
    {"count_257", true, counted("\x01\x01"s), "nombre de couleurs 257 hors de 1 à 256"},
    {"other_size", false, std::string(769, '\x80'), "une table de couleurs Adobe fait 768 ou 772 octets"},
};

INSTANTIATE_TEST_SUITE_P(act, FormatReader, testing::ValuesIn(ActCases), ByName());

} // namespace
} // namespace corvane::test
