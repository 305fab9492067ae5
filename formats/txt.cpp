// Paint.NET's palette: "AARRGGBB" lines after ';' comments.
#include "levels.h"
#include "text_reader.h"

namespace corvane::formats {

extern const Format TxtFormat, VgaFormat;

namespace {

constexpr char CommentStart = ';';

enum class Line { Blank, Comment, Colour, Other };

// A colour line is RRGGBB or AARRGGBB; the alpha is not kept.
Line lineOf(std::string_view text, bool cut, PaletteTable::Entry& colour, bool& withAlpha)
{
    if (text.empty())
        return Line::Blank;
    if (text.front() == CommentStart)
        return Line::Comment;
    withAlpha = text.size() == 8;
    if (cut ||
        !(withAlpha ? allHexDigits(text.substr(0, 2)) && hexLevels(text.substr(2), colour) : hexLevels(text, colour)))
        return Line::Other;
    return Line::Colour;
}

bool detect(const Head& head)
{
    // A line the head cuts short is not judged; a whole input's last line is.
    std::string_view bytes = head.bytes;
    if (!head.whole)
        bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
    MemorySource source(bytes);
    TextReader reader(source);
    // Six digits alone are a hex file's: a comment or an alpha says Paint.NET.
    bool paintNet = false;
    PaletteTable::Entry colour{};
    while (reader.next()) {
        bool withAlpha = false;
        switch (lineOf(reader.line(), reader.cut(), colour, withAlpha)) {
        case Line::Other:
            return false;
        case Line::Comment:
            paintNet = true;
            break;
        case Line::Colour:
            paintNet = paintNet || withAlpha;
            break;
        case Line::Blank:
            break;
        }
    }
    return paintNet;
}

Problem read(ByteSource& source, Palette& palette)
{
    TextReader reader(source);
    Palette read;
    read.kind = "Palette Paint.NET";
    while (reader.next()) {
        PaletteTable::Entry colour{};
        bool withAlpha = false;
        const Line line = lineOf(reader.line(), reader.cut(), colour, withAlpha);
        if (line == Line::Other)
            return reader.where() + " : une couleur Paint.NET s'écrit AARRGGBB ou RRGGBB, en chiffres hexadécimaux";
        if (line != Line::Colour)
            continue;
        if (Problem problem = addColour(read, colour))
            return problem;
    }
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext& context, std::string& out)
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

extern const Format TxtFormat{"txt", ".txt", "Paint.NET", MaxColours, 0, detect, read, write, &VgaFormat};

} // namespace corvane::formats
