// Animator Pro's palette: an 8-byte header, then 256 colours of 8 bits.
#include "binary.h"
#include "levels.h"

#include <array>

namespace corvane::formats {

extern const Format ColFormat;

namespace {

constexpr std::size_t Colours = 256;
constexpr std::size_t HeaderBytes = 8;
constexpr std::size_t FileBytes = HeaderBytes + 3 * Colours;
// The file's size, the format's number 0xB123 and version 0, little-endian.
constexpr std::string_view Header{"\x08\x03\x00\x00\x23\xB1\x00\x00", HeaderBytes};
static_assert(FileBytes == 0x0308);

bool detect(const Head& head)
{
    return head.bytes.starts_with(Header);
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, FileBytes> bytes;
    const std::size_t got = readFully(source, reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (got < HeaderBytes || !std::string_view(reinterpret_cast<const char*>(bytes.data()), got).starts_with(Header))
        return std::string("ce n'est pas une palette Animator Pro");
    if (got < FileBytes)
        return "le fichier s'arrête avant sa couleur " + std::to_string((got - HeaderBytes) / 3) + " (il en a 256)";
    palette = Palette{};
    palette.colours = unpackColours(bytes.data() + HeaderBytes, Colours);
    palette.kind = "Palette Animator Pro";
    return std::nullopt;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, ColFormat.maxColours))
        return problem;
    out.assign(Header);
    out.resize(FileBytes, '\0'); // black after the last colour
    packColours(palette.colours, out.data() + HeaderBytes);
    return std::nullopt;
}

} // namespace

extern const Format ColFormat{"col", ".col", "Animator", Colours, HeaderBytes, detect, read, write};

} // namespace corvane::formats
