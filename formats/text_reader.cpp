#include "text_reader.h"

#include <algorithm>
#include <cstring>

namespace corvane::formats {

bool TextReader::fill()
{
    if (ended_)
        return false;
    pos_ = 0;
    len_ = source_.read(buffer_.data(), buffer_.size());
    lfAt_ = crAt_ = Unknown;
    ended_ = len_ == 0;
    return !ended_;
}

// Searched again only once the last one found is behind: a text of CR lines
// is not searched to the buffer's end for an LF at every line, nor the other
// way round, so every byte is searched at most once for each.
std::size_t TextReader::nextOf(char byte, std::size_t& at)
{
    if (at == Unknown || at < pos_) {
        const auto* found = static_cast<const char*>(std::memchr(buffer_.data() + pos_, byte, len_ - pos_));
        at = found != nullptr ? static_cast<std::size_t>(found - buffer_.data()) : len_;
    }
    return at;
}

bool TextReader::next()
{
    line_.clear();
    cut_ = false;
    bool any = false;
    for (;;) {
        if (pos_ == len_ && !fill()) {
            if (!any)
                return false;
            break; // a last line with no end
        }
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[pos_] == '\n' && ++pos_ == len_)
                continue;
        }
        const std::size_t stop = std::min(nextOf('\n', lfAt_), nextOf('\r', crAt_));
        const std::size_t length = stop - pos_;
        const std::size_t keep = std::min(length, KeptBytes - std::min(KeptBytes, line_.size()));
        line_.append(buffer_.data() + pos_, keep);
        cut_ = cut_ || keep < length;
        any = true;
        pos_ = stop;
        if (stop == len_)
            continue;
        skipLineFeed_ = buffer_[stop] == '\r';
        ++pos_;
        break;
    }
    ++number_;
    if (number_ == 1 && line_.starts_with(ByteOrderMark))
        line_.erase(0, ByteOrderMark.size());
    return true;
}

std::string TextReader::where() const
{
    // A cut line is longer than shownText shows: it ends in "…" there.
    return "ligne " + std::to_string(number_) + " « " + shownText(line_) + " »";
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

bool isHexDigit(char c)
{
    return digitValue(c) >= 0;
}

bool allHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isHexDigit);
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

} // namespace corvane::formats
