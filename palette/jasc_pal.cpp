#include "jasc_pal.h"

#include "text_lines.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvane {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// How many of text's first bytes are a or b. Sixteen bytes a step where the
// processor has SSE2: a hostile line may hold a gigabyte of blanks or zeros,
// and they change no number.
std::size_t spanOf(std::string_view text, char a, char b)
{
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i manyA = _mm_set1_epi8(a);
    const __m128i manyB = _mm_set1_epi8(b);
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const auto matched = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, manyA), _mm_cmpeq_epi8(bytes, manyB))));
        if (matched != 0xFFFF)
            return i + static_cast<std::size_t>(std::countr_one(matched));
    }
#endif
    while (i < text.size() && (text[i] == a || text[i] == b))
        ++i;
    return i;
}

// Where the first blank of text lies, or its size. memchr, because a field
// that is no number may run on for the whole of a huge line.
std::size_t firstBlank(std::string_view text)
{
    const auto* space = static_cast<const char*>(std::memchr(text.data(), ' ', text.size()));
    const std::size_t limit = space != nullptr ? static_cast<std::size_t>(space - text.data()) : text.size();
    const auto* tab = static_cast<const char*>(std::memchr(text.data(), '\t', limit));
    return tab != nullptr ? static_cast<std::size_t>(tab - text.data()) : limit;
}

} // namespace

void Int16Parser::feed(std::string_view piece)
{
    std::size_t i = 0;
    while (i < piece.size() && state_ != State::NotANumber) {
        // Blanks around the number and zeros before its first other digit
        // change nothing: passed in runs.
        if (state_ == State::Before || state_ == State::After)
            i += spanOf(piece.substr(i), ' ', '\t');
        else if (state_ == State::Digits && magnitude_ == 0)
            i += spanOf(piece.substr(i), '0', '0');
        if (i == piece.size())
            return;
        const char c = piece[i++];
        const unsigned digit = static_cast<unsigned char>(c) - unsigned('0');
        if (digit <= 9 && state_ != State::After) {
            magnitude_ = magnitude_ * 10 + digit;
            // Past any 16-bit value no digit can bring it back: the rest of
            // the line is not looked at.
            state_ = magnitude_ > Largest ? State::NotANumber : State::Digits;
        } else if (isBlank(c) && state_ == State::Digits) {
            state_ = State::After;
        } else if ((c == '-' || c == '+') && state_ == State::Before) {
            negative_ = c == '-';
            state_ = State::Sign;
        } else {
            state_ = State::NotANumber;
        }
    }
}

std::optional<std::int16_t> Int16Parser::value() const
{
    if (state_ != State::Digits && state_ != State::After)
        return std::nullopt;
    const auto magnitude = static_cast<std::int32_t>(magnitude_);
    const std::int32_t value = negative_ ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<std::int16_t> parseInt16(std::string_view text)
{
    Int16Parser number;
    number.feed(text);
    return number.value();
}

void EntryParser::feed(std::string_view piece)
{
    while (!piece.empty()) {
        if (component_ == static_cast<std::size_t>(Blue)) {
            number_.feed(piece); // blue is all the rest of the line
            return;
        }
        if (!inField_) {
            piece.remove_prefix(spanOf(piece, ' ', '\t'));
            if (piece.empty())
                return;
            inField_ = true;
        }
        const std::size_t end = firstBlank(piece);
        number_.feed(piece.substr(0, end));
        if (end == piece.size())
            return;
        entry_[component_++] = number_.value().value_or(0);
        number_ = {};
        inField_ = false;
        piece.remove_prefix(end);
    }
}

PaletteTable::Entry EntryParser::entry() const
{
    PaletteTable::Entry entry = entry_;
    entry[component_] = number_.value().value_or(0);
    return entry;
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
    EntryParser entry;
    entry.feed(line);
    return entry.entry();
}

JascStart readJascStart(TextReader& lines)
{
    if (lines.rule() == LineRule::Window ? !lines.next() : !lines.nextIs(JascPalMagic))
        return JascStart::NotJasc;
    return lines.next() ? JascStart::Read : JascStart::Ended;
}

JascCount readJascPal(ByteSource& source, PaletteTable& table, KindCaption& caption)
{
    TextReader lines(source, LineRule::Window);
    readJascStart(lines); // whatever it finds: the first line has decided the kind already

    // The count line's number from the whole of it, and its first bytes for the caption.
    JascCount count;
    Int16Parser number;
    lines.next([&](std::string_view piece) {
        count.text.append(piece.substr(0, MaxCountTextLength - count.text.size()));
        number.feed(piece);
    });
    count.value = number.value();

    caption.set(KindCaption::forJascCount(count.text));
    const int entries = count.value.value_or(0);
    if (entries <= 0)
        return count;

    table.resizeClear(static_cast<std::size_t>(entries));
    LineReader& pieces = lines.pieces();
    std::string_view piece;
    bool lineEnds = false;
    for (std::size_t k = 0; k < static_cast<std::size_t>(entries) && pieces.next(piece, lineEnds); ++k) {
        count.lineFeedInEntry = count.lineFeedInEntry || piece.find('\n') != std::string_view::npos;
        if (lineEnds) {
            table.storeEntry(k, parseEntryLine(piece)); // the usual case: the whole line in one piece
            continue;
        }
        EntryParser entry;
        entry.feed(piece);
        while (!lineEnds && pieces.next(piece, lineEnds)) {
            count.lineFeedInEntry = count.lineFeedInEntry || piece.find('\n') != std::string_view::npos;
            entry.feed(piece);
        }
        table.storeEntry(k, entry.entry());
    }
    return count;
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
