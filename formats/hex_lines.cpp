// Palettes in hexadecimal digits, in two shapes: Lospec's "RRGGBB" colours,
// as many a line as a pasted list holds, and Paint.NET's "AARRGGBB" lines
// after ';' comments.
#include "hex_digits.h"
#include "levels.h"
#include "palette_building.h"
#include "text_fields.h"
#include "text_reader.h"

#include <utility>

namespace corvane::formats {

extern const Format HexFormat, TxtFormat, VgaFormat;

namespace {

enum class Line { Blank, Comment, Colour, AlphaColour, Other };

struct Shape {
    std::string_view kind;
    std::string_view badLine; // what the refusal of a line says after its place
    Line (*lineOf)(std::string_view text, PaletteTable::Entry& colour);
};

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

constexpr std::string_view LospecKind = "Palette hexadécimale (Lospec)";
constexpr std::string_view LospecBadLine = "une couleur s'écrit RRGGBB, six chiffres hexadécimaux";

// A list of "RRGGBB" colours, '#' before each allowed, separated by blanks,
// commas or line ends, as Lospec and TIC-80 give them to paste: each line's
// colours handed out one at a time, from a line of any length.
class ColourList {
public:
    // Takes the next piece of a line, without its end; each colour goes to
    // take(colour), which may refuse it. False once the line holds something
    // that is no colour, or a colour was refused: the rest is passed over.
    template <class Take> bool feed(std::string_view piece, Take&& take)
    {
        for (const char c : piece) {
            if (!good())
                break;
            if (c == ' ' || c == '\t' || c == ',')
                endToken(take);
            else if (token_.size() < MaxToken)
                token_.push_back(c);
            else
                badLine_ = true;
        }
        return good();
    }
    template <class Take> bool endLine(Take&& take)
    {
        endToken(take);
        token_.clear();
        return good();
    }
    [[nodiscard]] bool badLine() const { return badLine_; }
    [[nodiscard]] const Problem& refused() const { return refused_; }

private:
    static constexpr std::size_t MaxToken = 7; // "#RRGGBB"

    [[nodiscard]] bool good() const { return !badLine_ && !refused_; }

    template <class Take> void endToken(Take&& take)
    {
        if (token_.empty() || !good())
            return;
        std::string_view digits = token_;
        if (digits.starts_with('#'))
            digits.remove_prefix(1);
        PaletteTable::Entry colour{};
        if (hexLevels(digits, colour))
            refused_ = take(colour);
        else
            badLine_ = true;
        token_.clear();
    }

    std::string token_;
    bool badLine_ = false;
    Problem refused_;
};

// Every line of the text is a list of colours, each given to take(colour):
// the first bad line's refusal, or take's own.
template <class Take> Problem readColourList(ByteSource& source, Take&& take)
{
    TextReader reader(source);
    ColourList list;
    bool first = true;
    while (reader.next([&](std::string_view piece) {
        // The splitter hands a byte-order mark over in the first piece; it is no part of the text.
        if (std::exchange(first, false) && piece.starts_with(ByteOrderMark))
            piece.remove_prefix(ByteOrderMark.size());
        list.feed(piece, take);
    })) {
        if (!list.endLine(take))
            return list.badLine() ? reader.where() + " : " + std::string(LospecBadLine) : list.refused();
    }
    return std::nullopt;
}

bool detectLospec(const Head& head)
{
    // A line the head cuts short is not judged; a whole input's last line is.
    std::string_view bytes = head.bytes;
    if (!head.whole)
        bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
    MemorySource source(bytes);
    bool colour = false;
    return !readColourList(source, [&colour](const PaletteTable::Entry&) {
        colour = true;
        return Problem{};
    }) && colour;
}

// Six digits alone are a Lospec file's: a comment or an alpha says Paint.NET.
bool detectPaintNet(const Head& head)
{
    const std::optional<LinesSeen> seen = linesSeen(head, PaintNet);
    return seen && (seen->comment || seen->alphaColour);
}

Problem readLospec(ByteSource& source, Palette& palette)
{
    Palette read;
    read.kind = LospecKind;
    if (Problem problem =
            readColourList(source, [&read](const PaletteTable::Entry& colour) { return addColour(read, colour); }))
        return problem;
    return handOver(read, palette);
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
