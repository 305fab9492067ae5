#include "format.h"

#include "levels.h"
#include "text_reader.h"

namespace corvane::formats {

extern const Format HexFormat;

namespace {

// "RRGGBB", a '#' before it allowed.
bool readColour(std::string_view line, PaletteTable::Entry& colour)
{
    if (line.starts_with('#'))
        line.remove_prefix(1);
    return hexLevels(line, colour);
}

bool detect(const Head& head)
{
    // A line the head cuts short is not judged; a whole input's last line is.
    std::string_view bytes = head.bytes;
    if (!head.whole)
        bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
    MemorySource source(bytes);
    TextReader reader(source);
    bool any = false;
    PaletteTable::Entry colour{};
    while (reader.next()) {
        if (reader.line().empty())
            continue;
        if (reader.cut() || !readColour(reader.line(), colour))
            return false;
        any = true;
    }
    return any;
}

Problem read(ByteSource& source, Palette& palette)
{
    TextReader reader(source);
    Palette read;
    read.kind = "Palette hexadécimale (Lospec)";
    while (reader.next()) {
        if (reader.line().empty())
            continue;
        PaletteTable::Entry colour{};
        if (reader.cut() || !readColour(reader.line(), colour))
            return reader.where() + " : une couleur s'écrit RRGGBB, six chiffres hexadécimaux";
        if (Problem problem = addColour(read, colour))
            return problem;
    }
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
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

} // namespace

extern const Format HexFormat{"hex", ".hex", "Lospec", MaxColours, 0, detect, read, write};

} // namespace corvane::formats
