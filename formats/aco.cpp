// Photoshop's swatches: a version 1 section, then often a version 2 one
// that repeats it with names. Big-endian.
#include "binary.h"
#include "levels.h"
#include "palette_building.h"
#include "swatch_name.h"

#include <array>

namespace corvane::formats {

extern const Format AcoFormat, VgaFormat;

namespace {

constexpr std::size_t SectionHeadBytes = 4; // version, count
constexpr std::size_t EntryBytes = 10;      // colour space, four values
constexpr std::size_t NameSizeBytes = 4;    // before a version 2 name, in UTF-16 units
constexpr std::uint16_t Rgb = 0;
constexpr std::uint16_t Grey = 8;
constexpr std::uint32_t GreyMost = 10000;

std::uint16_t word(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bigEndian(bytes, 2));
}

std::string spaceName(std::uint16_t space)
{
    switch (space) {
    case 1:
        return "HSB";
    case 2:
        return "CMYK";
    case 7:
        return "Lab";
    case 9:
        return "CMYK 16 bits";
    default:
        return std::to_string(space);
    }
}

// One entry's colour; the first refusal of a section is kept, not returned,
// since a version 2 section may follow and replace it.
Problem colourOf(const std::uint8_t* entry, std::size_t number, PaletteTable::Entry& colour)
{
    const std::uint16_t space = word(entry);
    if (space == Rgb) {
        for (std::size_t c = 0; c < 3; ++c)
            colour[c] = entry[2 + 2 * c]; // 16-bit levels: the high byte
        return std::nullopt;
    }
    if (space == Grey) {
        const std::uint32_t grey = word(entry + 2);
        if (grey > GreyMost)
            return "couleur " + std::to_string(number) + " : gris " + std::to_string(grey) + " hors de 0 à 10000";
        colour.fill(static_cast<std::int16_t>((grey * 255 + GreyMost / 2) / GreyMost));
        return std::nullopt;
    }
    return "couleur " + std::to_string(number) + " : espace de couleurs " + spaceName(space) +
           ", seuls RGB et gris se lisent";
}

// A section's entries, after its head; names (version 2) passed over.
Problem readSection(ByteSource& source, std::size_t count, bool named, Palette& read)
{
    // Grown as entries come: a count the file does not hold costs nothing.
    read.colours.clear();
    Problem first;
    for (std::size_t k = 0; k < count; ++k) {
        std::array<std::uint8_t, EntryBytes + NameSizeBytes> entry;
        const std::size_t size = named ? entry.size() : EntryBytes;
        if (!readAll(source, entry.data(), size) ||
            (named && !skip(source, 2 * std::uint64_t{bigEndian(entry.data() + EntryBytes, NameSizeBytes)})))
            return "le fichier s'arrête avant sa couleur " + std::to_string(k) + " (il en annonce " +
                   std::to_string(count) + ")";
        // Past a refusal, the entries are only passed over.
        if (!first)
            first = colourOf(entry.data(), k, read.colours.emplace_back());
    }
    return first;
}

// Nothing after the version 1 section, or a version 2 section of the same
// count and nothing after it. A head that is not the whole input must hold
// the version 1 section and the next one's head; the rest is taken on trust.
bool endsAfterSections(std::string_view bytes, bool whole)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t count = word(data + 2);
    std::size_t at = SectionHeadBytes + EntryBytes * count;
    if (at == bytes.size())
        return whole;
    if (bytes.size() < at + SectionHeadBytes || word(data + at) != 2 || word(data + at + 2) != count)
        return false;
    at += SectionHeadBytes;
    for (std::size_t k = 0; k < count; ++k) {
        if (bytes.size() < at + EntryBytes + NameSizeBytes)
            return !whole;
        at += EntryBytes + NameSizeBytes + 2 * std::size_t{bigEndian(data + at + EntryBytes, NameSizeBytes)};
    }
    return whole ? at == bytes.size() : at >= bytes.size();
}

bool detect(const Head& head)
{
    if (head.bytes.size() < SectionHeadBytes)
        return false;
    const auto* data = reinterpret_cast<const std::uint8_t*>(head.bytes.data());
    return word(data) == 1 && endsAfterSections(head.bytes, head.whole);
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<std::uint8_t, SectionHeadBytes> head;
    if (!readAll(source, head.data(), head.size()) || word(head.data()) != 1)
        return std::string("ce n'est pas un nuancier Photoshop");
    const std::size_t count = word(head.data() + 2);
    if (count > MaxColours)
        return std::string(TooManyColours);
    Palette read;
    read.kind = "Nuancier Photoshop";
    Problem problem = readSection(source, count, false, read);
    const std::size_t got = readFully(source, reinterpret_cast<char*>(head.data()), head.size());
    if (got == head.size() && word(head.data()) == 2 && word(head.data() + 2) == count)
        problem = readSection(source, count, true, read);
    else if (got != 0)
        return "après " + colourCount(count) + " en version 1, ni la fin du fichier ni leur version 2";
    if (problem)
        return problem;
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    // The count is 16 bits.
    if (Problem problem = checkEightBit(palette, AcoFormat.maxColours))
        return problem;
    out.clear();
    for (const std::uint32_t version : {1U, 2U}) {
        appendBigEndian(out, version, 2);
        appendBigEndian(out, static_cast<std::uint32_t>(palette.colours.size()), 2);
        for (const PaletteTable::Entry& colour : palette.colours) {
            appendBigEndian(out, Rgb, 2);
            for (const std::int16_t level : colour)
                appendBigEndian(out, static_cast<std::uint32_t>(level) * 257, 2);
            appendBigEndian(out, 0, 2);
            if (version == 1)
                continue;
            appendBigEndian(out, ColourNameUnits, NameSizeBytes);
            appendColourName(out, colour);
        }
    }
    return std::nullopt;
}

} // namespace

extern const Format AcoFormat{"aco", ".aco", "Photoshop", MaxColours, 0, detect, read, write, &VgaFormat};

} // namespace corvane::formats
