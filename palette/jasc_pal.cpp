#include "jasc_pal.h"

#include "text_lines.h"

#include <array>
#include <charconv>
#include <cstring>

namespace corvane {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Takes the field up to the next run of blanks and drops that run.
std::string_view takeField(std::string_view& rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    const std::string_view field = rest.substr(0, end);
    while (end < rest.size() && isBlank(rest[end]))
        ++end;
    rest.remove_prefix(end);
    return field;
}

} // namespace

std::optional<std::int16_t> parseInt16(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32768) // beyond any 16-bit value; stop before it can overflow
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

namespace {

// The shape nearly every file has, three numbers of at most five digits split
// by single spaces, read in one pass; false sends anything else to the
// general rule.
bool parsePlainEntry(std::string_view line, PaletteTable::Entry& entry)
{
    // Copied behind a NUL sentinel, the digits need no end checks.
    constexpr std::size_t Longest = 3 * 5 + 2;
    if (line.size() > Longest)
        return false;
    std::array<char, Longest + 1> text{};
    std::memcpy(text.data(), line.data(), line.size());
    const char* p = text.data();
    for (std::size_t c = 0; c < entry.size(); ++c) {
        if (c > 0 && *p++ != ' ')
            return false;
        unsigned value = static_cast<unsigned char>(*p) - unsigned('0');
        if (value > 9)
            return false;
        ++p;
        for (int more = 0; more < 4; ++more, ++p) {
            const unsigned digit = static_cast<unsigned char>(*p) - unsigned('0');
            if (digit > 9)
                break;
            value = value * 10 + digit;
        }
        if (value > 32767)
            return false;
        entry[c] = static_cast<std::int16_t>(value);
    }
    return p == text.data() + line.size();
}

} // namespace

PaletteTable::Entry parseEntryLine(std::string_view line)
{
    if (PaletteTable::Entry entry; parsePlainEntry(line, entry))
        return entry;
    std::string_view rest = trimBlanks(line);
    const std::string_view red = takeField(rest);
    const std::string_view green = takeField(rest);
    return {parseInt16(red).value_or(0), parseInt16(green).value_or(0), parseInt16(rest).value_or(0)};
}

std::string readJascPal(ByteSource& source, PaletteTable& table, KindCaption& caption)
{
    LineReader lines(source);
    std::string_view line;
    lines.next(line); // "JASC-PAL"
    lines.next(line); // the version, never examined
    std::string countText;
    lines.next(countText);

    caption.set(KindCaption::forJascCount(countText));
    const int count = parseInt16(countText).value_or(0);
    if (count <= 0)
        return countText;

    table.resizeClear(static_cast<std::size_t>(count));
    for (int k = 0; k < count && lines.next(line); ++k)
        table.storeEntry(static_cast<std::size_t>(k), parseEntryLine(line));
    return countText;
}

std::optional<std::string> readJascPalFile(const std::filesystem::path& path, PaletteTable& table, KindCaption& caption)
{
    FileSource file(path);
    if (!file.isOpen())
        return std::nullopt;
    return readJascPal(file, table, caption);
}

std::string buildJascText(const std::array<PaletteTable::Entry, JascPalWrittenEntries>& entries)
{
    std::string out;
    out.reserve(16 + entries.size() * 14);
    out.append(JascPalMagic).append("\r\n").append(JascPalVersion).append("\r\n256");
    char number[8];
    for (const PaletteTable::Entry& entry : entries) {
        out.append("\r\n");
        for (std::size_t c = 0; c < entry.size(); ++c) {
            if (c > 0)
                out.push_back(' ');
            const auto result = std::to_chars(number, number + sizeof number, entry[c]);
            out.append(number, result.ptr);
        }
    }
    return out;
}

} // namespace corvane
