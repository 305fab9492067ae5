// Palettes of one colour a line in hexadecimal digits, in two shapes: Lospec's
// "RRGGBB" lines, and Paint.NET's "AARRGGBB" lines after ';' comments.
#include "hex_digits.h"
#include "levels.h"
#include "palette_building.h"
#include "text_fields.h"
#include "text_reader.h"

namespace corvane::formats {

extern const Format HexFormat, TxtFormat, VgaFormat;

namespace {

enum class Line { Blank, Comment, Colour, AlphaColour, Other };

struct Shape {
    std::string_view kind;
    std::string_view badLine; // what the refusal of a line says after its place
    Line (*lineOf)(std::string_view text, PaletteTable::Entry& colour);
};

// "RRGGBB", a '#' before it allowed.
Line lospecLine(std::string_view text, PaletteTable::Entry& colour)
{
    if (text.empty())
        return Line::Blank;
    if (text.starts_with('#'))
        text.remove_prefix(1);
    return hexLevels(text, colour) ? Line::Colour : Line::Other;
}

// "AARRGGBB" or "RRGGBB"; the alpha is not kept.
Line paintNetLine(std::string_view text, PaletteTable::Entry& colour)
{
    if (text.empty())
        return Line::Blank;
    if (text.front() == ';')
        return Line::Comment;
    if (text.size() == 8)
        return allHexDigits(text.substr(0, 2)) && hexLevels(text.substr(2), colour) ? Line::AlphaColour : Line::Other;
    return hexLevels(text, colour) ? Line::Colour : Line::Other;
}

constexpr Shape Lospec{"Palette hexadécimale (Lospec)", "une couleur s'écrit RRGGBB, six chiffres hexadécimaux",
                       lospecLine};
constexpr Shape PaintNet{"Palette Paint.NET",
                         "une couleur Paint.NET s'écrit AARRGGBB ou RRGGBB, en chiffres hexadécimaux", paintNetLine};

// A line longer than the reader keeps is no colour, whatever its start.
Line lineOf(const TextReader& reader, const Shape& shape, PaletteTable::Entry& colour)
{
    const Line line = shape.lineOf(reader.line(), colour);
    return reader.cut() && line != Line::Comment ? Line::Other : line;
}

// The kinds of line a head holds.
struct LinesSeen {
    bool colour = false;
    bool alphaColour = false;
    bool comment = false;
};

// What the head's lines are, when every one is of the shape.
std::optional<LinesSeen> linesSeen(const Head& head, const Shape& shape)
{
    // A line the head cuts short is not judged; a whole input's last line is.
    std::string_view bytes = head.bytes;
    if (!head.whole)
        bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
    MemorySource source(bytes);
    TextReader reader(source);
    LinesSeen seen;
    PaletteTable::Entry colour{};
    while (reader.next()) {
        switch (lineOf(reader, shape, colour)) {
        case Line::Other:
            return std::nullopt;
        case Line::Colour:
            seen.colour = true;
            break;
        case Line::AlphaColour:
            seen.alphaColour = true;
            break;
        case Line::Comment:
            seen.comment = true;
            break;
        case Line::Blank:
            break;
        }
    }
    return seen;
}

Problem readLines(ByteSource& source, const Shape& shape, Palette& palette)
{
    TextReader reader(source);
    Palette read;
    read.kind = shape.kind;
    while (reader.next()) {
        PaletteTable::Entry colour{};
        const Line line = lineOf(reader, shape, colour);
        if (line == Line::Other)
            return reader.where() + " : " + std::string(shape.badLine);
        if (line != Line::Colour && line != Line::AlphaColour)
            continue;
        if (Problem problem = addColour(read, colour))
            return problem;
    }
    return handOver(read, palette);
}

bool detectLospec(const Head& head)
{
    const std::optional<LinesSeen> seen = linesSeen(head, Lospec);
    return seen && seen->colour;
}

// Six digits alone are a Lospec file's: a comment or an alpha says Paint.NET.
bool detectPaintNet(const Head& head)
{
    const std::optional<LinesSeen> seen = linesSeen(head, PaintNet);
    return seen && (seen->comment || seen->alphaColour);
}

Problem readLospec(ByteSource& source, Palette& palette)
{
    return readLines(source, Lospec, palette);
}

Problem readPaintNet(ByteSource& source, Palette& palette)
{
    return readLines(source, PaintNet, palette);
}

Problem writeLospec(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, HexFormat.maxColours))
        return problem;
    out.clear();
    for (const PaletteTable::Entry& colour : palette.colours) {
        appendHexLevels(out, colour, false);
        out.push_back('\n');
    }
    return std::nullopt;
}

Problem writePaintNet(const Palette& palette, const WriteContext& context, std::string& out)
{
    if (Problem problem = checkEightBit(palette, TxtFormat.maxColours))
        return problem;
    out.assign("; paint.net Palette File\r\n; Palette Name: ")
        .append(nameOnOneLine(context.name))
        .append("\r\n; Colors: ")
        .append(std::to_string(palette.colours.size()))
        .append("\r\n");
    for (const PaletteTable::Entry& colour : palette.colours) {
        out.append("FF");
        appendHexLevels(out, colour, true);
        out.append("\r\n");
    }
    return std::nullopt;
}

} // namespace

extern const Format HexFormat{"hex", ".hex", "Lospec", MaxColours, 0, detectLospec, readLospec, writeLospec};
extern const Format TxtFormat{"txt",          ".txt",       "Paint.NET",   MaxColours, 0,
                              detectPaintNet, readPaintNet, writePaintNet, &VgaFormat};

} // namespace corvane::formats
