#include "text_reader.h"

#include <algorithm>

namespace corvane::formats {
namespace {

// The length of the UTF-8 sequence at the start of `bytes`; 0 if it is not one.
std::size_t utf8Length(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (bytes.size() < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::string TextReader::where() const
{
    // A cut line is longer than shownText shows: it ends in "…" there.
    return "ligne " + std::to_string(number()) + " « " + shownText(line()) + " »";
}

bool firstLineIs(const Head& head, std::string_view text)
{
    MemorySource source(head.bytes);
    TextReader reader(source);
    return reader.nextIs(text);
}

namespace {

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

} // namespace

bool hexLevels(std::string_view digits, PaletteTable::Entry& colour)
{
    if (digits.size() != 6 || !allHexDigits(digits))
        return false;
    for (std::size_t c = 0; c < 3; ++c)
        colour[c] = static_cast<std::int16_t>(digitValue(digits[2 * c]) * 16 + digitValue(digits[2 * c + 1]));
    return true;
}

void appendHexLevels(std::string& out, const PaletteTable::Entry& colour, bool upperCase)
{
    const std::string_view digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    for (const std::int16_t level : colour)
        out.append({digits[static_cast<std::size_t>(level) >> 4], digits[static_cast<std::size_t>(level) & 0xF]});
}

bool allHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return digitValue(c) >= 0; });
}

std::string nameOnOneLine(std::string_view name)
{
    std::string line(name);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return line;
}

Problem addColour(Palette& palette, const PaletteTable::Entry& colour)
{
    if (palette.colours.size() == MaxColours)
        return std::string(TooManyColours);
    palette.colours.push_back(colour);
    return std::nullopt;
}

Problem handOver(Palette& read, Palette& palette)
{
    if (read.colours.empty())
        return std::string(NoColour);
    palette = std::move(read);
    return std::nullopt;
}

std::string_view takeField(std::string_view& text)
{
    constexpr std::string_view Blanks = " \t";
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(Blanks)));
    const std::string_view field = text.substr(0, text.find_first_of(Blanks));
    text.remove_prefix(field.size());
    return field;
}

std::optional<std::size_t> decimal(std::string_view field, std::size_t most)
{
    if (field.empty())
        return std::nullopt;
    std::size_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value > most)
            return std::nullopt;
    }
    return value;
}

bool takeLevels(std::string_view& text, PaletteTable::Entry& colour)
{
    for (std::int16_t& level : colour) {
        const std::optional<std::size_t> value = decimal(takeField(text), 255);
        if (!value)
            return false;
        level = static_cast<std::int16_t>(*value);
    }
    return true;
}

std::string shownText(std::string_view bytes, std::size_t most)
{
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = utf8Length(bytes.substr(at));
        if (at + std::max<std::size_t>(length, 1) > most)
            break;
        const auto b = static_cast<unsigned char>(bytes[at]);
        if (length == 0 || b < 0x20 || b == 0x7F) {
            appendByteEscape(out, b);
        } else if (b == '\\') {
            out.append("\\\\");
        } else {
            out.append(bytes.substr(at, length));
        }
        at += std::max<std::size_t>(length, 1);
    }
    if (at < bytes.size())
        out.append("…");
    return out;
}

} // namespace corvane::formats
