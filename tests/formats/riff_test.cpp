#include "format_checks.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::string le(std::uint32_t value, std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    return bytes;
}

std::string chunk(std::string_view id, std::string_view body, std::size_t size)
{
    return std::string(id) + le(static_cast<std::uint32_t>(size), 4) + std::string(body);
}

// A data chunk of `count` grey entries, `written` of them present.
std::string data(std::uint32_t size, std::uint16_t count, std::size_t written, std::uint16_t version = 0x0300)
{
    std::string body = le(version, 2) + le(count, 2);
    for (std::size_t k = 0; k < written; ++k)
        body += std::string(3, static_cast<char>(k)) + "\x01"s;
    return chunk("data", body, size);
}

std::string riff(const std::string& chunks)
{
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "PAL " + chunks;
}

const ReaderCase RiffCases[] = {
    {"sample", true, sampleBytes("riff/riff256-windows.pal"), "Palette RIFF de Microsoft, 256 couleurs"},
    {"odd_chunk_before_data_stops_after_it", true, riff(chunk("LIST", "abc\0"s, 3) + data(12, 2, 2) + "tail"),
     "Palette RIFF de Microsoft, 2 couleurs : 0 0 0, 1 1 1", 4},
    {"version", true, riff(data(12, 2, 2, 0x0200)), "version 0x0200 inconnue"},
    {"count_and_size_disagree", true, riff(data(16, 2, 3)),
     "le nombre de couleurs (2) ne correspond pas à la taille du bloc data (16 octets)"},
    {"no_colour", true, riff(data(4, 0, 0)), "la palette n'a aucune couleur"},
    {"too_many", true, riff(data(4 + 4 * 40000, 40000, 0)), "plus de 32767 couleurs : trop pour Corvane"},
    {"cut_in_entries", true, riff(data(16, 3, 2) + "\x05"), "le fichier s'arrête avant sa couleur 2 (il en annonce 3)"},
    {"cut_in_data", true, riff(chunk("data", "\x00\x03\x01"s, 8)), "le fichier s'arrête dans son bloc data"},
    {"no_data", true, riff(chunk("LIST", "ab", 2) + chunk("JUNK", "a", 9)), "pas de bloc data"},
    {"other_form", false, "RIFF" + le(4, 4) + "WAVE" + data(12, 2, 2), "ce n'est pas une palette RIFF"},
};
INSTANTIATE_TEST_SUITE_P(riff, FormatReader, testing::ValuesIn(RiffCases), ByName());

} // namespace
} // namespace corvane::test
