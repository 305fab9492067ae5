// Adobe Swatch Exchange: colour and group blocks, big-endian.
#include "binary.h"
#include "levels.h"
#include "palette_building.h"
#include "swatch_name.h"

#include <array>
#include <cmath>
#include <cstring>

namespace corvane::formats {

extern const Format AseFormat;

namespace {

constexpr std::string_view Signature{"ASEF\0\1\0\0", 8};
constexpr std::size_t HeaderBytes = 12; // the signature, then the number of blocks
constexpr std::uint16_t ColourBlock = 0x0001;
constexpr std::size_t BlockHeadBytes = 6; // type, then the size of what follows
constexpr std::uint16_t NormalColour = 2;

// IEEE 754 single precision, as the file holds it; memcpy, since the page's
// C++ library has no std::bit_cast.
static_assert(sizeof(float) == sizeof(std::uint32_t));
float floatOf(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string entry(std::size_t number)
{
    return "couleur " + std::to_string(number);
}

// A component from 0 to 1 to a level, rounded; nothing when out of range.
std::optional<std::int16_t> levelOf(const std::uint8_t* bytes)
{
    const auto value = static_cast<double>(floatOf(bigEndian(bytes, 4)));
    if (!(value >= 0 && value <= 1))
        return std::nullopt;
    return static_cast<std::int16_t>(std::lround(value * 255));
}

// A colour block's body, of `size` bytes: name, model, components, type.
Problem readColour(ByteSource& source, std::uint32_t size, std::size_t number, Palette& read)
{
    std::array<std::uint8_t, 2> units;
    if (size < units.size() || !readAll(source, units.data(), units.size()))
        return entry(number) + " : bloc tronqué";
    // The name is not kept: passed over, whatever its length.
    const std::uint64_t nameBytes = 2 * std::uint64_t{bigEndian(units.data(), 2)};
    constexpr std::size_t ModelBytes = 4;
    if (size < units.size() + nameBytes + ModelBytes || !skip(source, nameBytes))
        return entry(number) + " : bloc tronqué";
    std::uint32_t left = size - static_cast<std::uint32_t>(units.size() + nameBytes);
    std::array<std::uint8_t, ModelBytes + 4 * 4> fields;
    if (!readAll(source, fields.data(), ModelBytes))
        return entry(number) + " : bloc tronqué";
    const std::string_view model(reinterpret_cast<const char*>(fields.data()), ModelBytes);
    std::size_t components = 0;
    if (model == "RGB ")
        components = 3;
    else if (model == "Gray")
        components = 1;
    else if (model == "CMYK" || model == "LAB ")
        return entry(number) + " : couleur " + std::string(model.substr(0, model.find(' '))) +
               ", seules RGB et Gray se lisent (pas de gestion des couleurs)";
    else
        return entry(number) + " : modèle de couleur « " + shownText(model) + " » inconnu";
    left -= ModelBytes;
    if (left < 4 * components || !readAll(source, fields.data() + ModelBytes, 4 * components))
        return entry(number) + " : bloc tronqué";
    left -= static_cast<std::uint32_t>(4 * components);
    PaletteTable::Entry colour{};
    for (std::size_t c = 0; c < 3; ++c) {
        const std::optional<std::int16_t> level = levelOf(fields.data() + ModelBytes + 4 * (c % components));
        if (!level)
            return entry(number) + " : composante hors de 0 à 1";
        colour[c] = *level;
    }
    // What follows (the colour's type) tells nothing of the colour.
    if (!skip(source, left))
        return entry(number) + " : bloc tronqué";
    return addColour(read, colour);
}

bool detect(const Head& head)
{
    return head.bytes.starts_with(Signature);
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, HeaderBytes> header;
    if (!readAll(source, header.data(), header.size()) ||
        !std::string_view(reinterpret_cast<const char*>(header.data()), header.size()).starts_with(Signature))
        return std::string("ce n'est pas un nuancier ASE de version 1.0");
    const std::uint32_t blocks = bigEndian(header.data() + Signature.size(), 4);
    Palette read;
    read.kind = "Nuancier Adobe ASE";
    // Groups are flattened: their start and end blocks carry no colour.
    for (std::uint32_t b = 0; b < blocks; ++b) {
        std::array<std::uint8_t, BlockHeadBytes> head;
        if (!readAll(source, head.data(), head.size()))
            return "le fichier s'arrête avant son bloc " + std::to_string(b) + " (il en annonce " +
                   std::to_string(blocks) + ")";
        const std::uint32_t size = bigEndian(head.data() + 2, 4);
        Problem problem;
        if (bigEndian(head.data(), 2) == ColourBlock)
            problem = readColour(source, size, read.colours.size(), read);
        else if (!skip(source, size))
            problem = "le fichier s'arrête dans son bloc " + std::to_string(b);
        if (problem)
            return problem;
    }
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, AseFormat.maxColours))
        return problem;
    constexpr std::uint32_t BodyBytes = 2 + 2 * ColourNameUnits + 4 + 3 * 4 + 2;
    out.assign(Signature);
    appendBigEndian(out, static_cast<std::uint32_t>(palette.colours.size()), 4);
    for (const PaletteTable::Entry& colour : palette.colours) {
        appendBigEndian(out, ColourBlock, 2);
        appendBigEndian(out, BodyBytes, 4);
        appendBigEndian(out, ColourNameUnits, 2);
        appendColourName(out, colour);
        out.append("RGB ");
        for (const std::int16_t level : colour)
            appendBigEndian(out, bitsOf(static_cast<float>(level) / 255.0F), 4);
        appendBigEndian(out, NormalColour, 2);
    }
    return std::nullopt;
}

} // namespace

extern const Format AseFormat{"ase", ".ase", "Adobe ASE", MaxColours, Signature.size(), detect, read, write};

} // namespace corvane::formats
