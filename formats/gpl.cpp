#include "format.h"

#include "levels.h"
#include "palette_building.h"
#include "text_fields.h"
#include "text_reader.h"

#include <cstdio>

namespace corvane::formats {

extern const Format GplFormat;

namespace {

constexpr std::string_view Magic = "GIMP Palette";
// The first line, after a UTF-8 byte-order mark, and its CR LF.
constexpr std::size_t SignatureBytes = ByteOrderMark.size() + Magic.size() + 2;

// Lines of the header, comments and blank lines carry no colour.
bool carriesNoColour(std::string_view line)
{
    return line.starts_with("Name:") || line.starts_with("Columns:") || line.starts_with('#') ||
           line.find_first_not_of(" \t") == std::string_view::npos;
}

bool detect(const Head& head)
{
    return firstLineIs(head, Magic);
}

Problem read(ByteSource& source, Palette& palette)
{
    TextReader reader(source);
    if (!reader.nextIs(Magic))
        return std::string("ce n'est pas une palette GIMP");
    Palette read;
    read.kind = "Palette GIMP";
    while (reader.next()) {
        std::string_view text = reader.line();
        if (carriesNoColour(text))
            continue;
        PaletteTable::Entry colour{};
        // The colour's name, if any, follows a blank; a cut line keeps the blank.
        if (!takeLevels(text, colour) || !(text.empty() ? !reader.cut() : text[0] == ' ' || text[0] == '\t'))
            return reader.where() + " : une couleur GIMP s'écrit en trois nombres de 0 à 255";
        if (Problem problem = addColour(read, colour))
            return problem;
    }
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext& context, std::string& out)
{
    if (Problem problem = checkEightBit(palette, GplFormat.maxColours))
        return problem;
    out.assign(Magic).append("\nName: ").append(nameOnOneLine(context.name)).append("\nColumns: 16\n");
    // GIMP's own alignment: each level right-aligned in three places.
    char entry[16];
    for (const PaletteTable::Entry& colour : palette.colours)
        out.append(entry, static_cast<std::size_t>(
                              std::snprintf(entry, sizeof entry, "%3d %3d %3d\n", colour[0], colour[1], colour[2])));
    return std::nullopt;
}

} // namespace

extern const Format GplFormat{"gpl", ".gpl", "GIMP", MaxColours, SignatureBytes, detect, read, write};

} // namespace corvane::formats
