#include "format.h"

#include "levels.h"
#include "text_reader.h"

namespace corvane::formats {

extern const Format HexFormat;

namespace {

constexpr std::string_view Digits = "0123456789abcdef";

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "RRGGBB", a '#' before it allowed.
bool readColour(std::string_view line, PaletteTable::Entry& colour)
{
    if (line.starts_with('#'))
        line.remove_prefix(1);
    if (line.size() != 6)
        return false;
    for (std::size_t c = 0; c < 3; ++c) {
        const int high = digitValue(line[2 * c]);
        const int low = digitValue(line[2 * c + 1]);
        if (high < 0 || low < 0)
            return false;
        colour[c] = static_cast<std::int16_t>(high * 16 + low);
    }
    return true;
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
        for (const std::int16_t level : colour)
            out.append({Digits[static_cast<std::size_t>(level) >> 4], Digits[static_cast<std::size_t>(level) & 0xF]});
        out.push_back('\n');
    }
    return std::nullopt;
}

} // namespace

extern const Format HexFormat{"hex", ".hex", "Lospec", MaxColours, 0, detect, read, write};

} // namespace corvane::formats
