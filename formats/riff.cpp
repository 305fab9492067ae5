#include "format.h"

#include "binary.h"
#include "levels.h"

#include <array>
#include <cstdio>
#include <vector>

namespace corvane::formats {

extern const Format RiffFormat;

namespace {

constexpr std::string_view Riff = "RIFF";
constexpr std::string_view PaletteForm = "PAL ";
constexpr std::size_t FormAt = 8;
constexpr std::size_t HeaderBytes = 12;
constexpr std::uint16_t Version = 0x0300;
constexpr std::size_t EntryBytes = 4; // R, G, B, flags

Problem readData(ByteSource& source, std::uint32_t size, Palette& palette)
{
    std::array<std::uint8_t, 4> head;
    if (readFully(source, reinterpret_cast<char*>(head.data()), head.size()) < head.size())
        return std::string("le fichier s'arrête dans son bloc data");
    const std::uint32_t version = littleEndian(head.data(), 2);
    const std::size_t count = littleEndian(head.data() + 2, 2);
    if (version != Version) {
        std::array<char, 8> shown;
        std::snprintf(shown.data(), shown.size(), "0x%04X", static_cast<unsigned>(version));
        return "version " + std::string(shown.data()) + " inconnue";
    }
    if (size != 4 + EntryBytes * count)
        return "le nombre de couleurs (" + std::to_string(count) + ") ne correspond pas à la taille du bloc data (" +
               std::to_string(size) + " octets)";
    if (count == 0)
        return std::string(NoColour);
    if (count > MaxColours)
        return std::string(TooManyColours);
    std::vector<std::uint8_t> entries(count * EntryBytes);
    const std::size_t got = readFully(source, reinterpret_cast<char*>(entries.data()), entries.size());
    if (got < entries.size())
        return "le fichier s'arrête avant sa couleur " + std::to_string(got / EntryBytes) + " (il en annonce " +
               std::to_string(count) + ")";
    palette = Palette{};
    palette.colours.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        for (std::size_t c = 0; c < 3; ++c)
            palette.colours[k][c] = entries[k * EntryBytes + c]; // the flags byte is not a colour
    palette.kind = "Palette RIFF de Microsoft";
    return std::nullopt;
}

bool detect(const Head& head)
{
    return head.bytes.size() >= HeaderBytes && head.bytes.starts_with(Riff) &&
           head.bytes.substr(FormAt).starts_with(PaletteForm);
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<char, HeaderBytes> header;
    const std::size_t got = readFully(source, header.data(), header.size());
    if (!detect({{header.data(), got}, false}))
        return std::string("ce n'est pas une palette RIFF");
    // Chunks follow, each an id, a size and its bytes, padded to an even size.
    for (;;) {
        std::array<std::uint8_t, 8> chunk;
        if (readFully(source, reinterpret_cast<char*>(chunk.data()), chunk.size()) < chunk.size())
            return std::string("pas de bloc data");
        const std::uint32_t size = littleEndian(chunk.data() + 4, 4);
        if (std::string_view(reinterpret_cast<const char*>(chunk.data()), 4) == "data")
            return readData(source, size, palette);
        if (!skip(source, std::uint64_t{size} + size % 2))
            return std::string("pas de bloc data");
    }
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, RiffFormat.maxColours))
        return problem;
    const auto count = static_cast<std::uint32_t>(palette.colours.size());
    const std::uint32_t dataSize = 4 + EntryBytes * count;
    out.assign(Riff);
    appendLittleEndian(out, 12 + dataSize, 4); // what follows the size: the form, the chunk's id and size, its bytes
    out += PaletteForm;
    out += "data";
    appendLittleEndian(out, dataSize, 4);
    appendLittleEndian(out, Version, 2);
    appendLittleEndian(out, count, 2);
    for (const PaletteTable::Entry& colour : palette.colours)
        out += {static_cast<char>(colour[0]), static_cast<char>(colour[1]), static_cast<char>(colour[2]), '\0'};
    return std::nullopt;
}

} // namespace

extern const Format RiffFormat{"riff", ".pal", "RIFF", MaxColours, HeaderBytes, detect, read, write};

} // namespace corvane::formats
