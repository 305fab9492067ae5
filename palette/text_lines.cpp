#include "text_lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace corvane {

bool LineReader::ensureByte()
{
    if (pos_ < len_)
        return true;
    pos_ = 0;
    len_ = source_.read(buffer_.data(), buffer_.size());
    return len_ > 0;
}

namespace {

// Where the line starting at begin ends: its CR, a 0x1A, or end.
const char* lineStop(const char* begin, const char* end)
{
    const char* p = begin;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes a step: entry lines are short and this is the hot loop.
        constexpr std::uint64_t ones = 0x0101010101010101U;
        constexpr std::uint64_t highs = 0x8080808080808080U;
        const auto has = [](std::uint64_t word, unsigned char byte) {
            const std::uint64_t x = word ^ (ones * byte);
            return (x - ones) & ~x & highs; // lowest set bit marks the first match
        };
        // Lengths, not pointers, are compared: no pointer is formed outside the bytes.
        const auto quick = static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - begin, 64));
        for (; static_cast<std::size_t>(p - begin) + 8 <= quick; p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (const std::uint64_t found = has(word, CarriageReturn) | has(word, EndOfText))
                return p + std::countr_zero(found) / 8;
        }
    }
    const auto* cr = static_cast<const char*>(std::memchr(p, CarriageReturn, static_cast<std::size_t>(end - p)));
    const char* stop = cr != nullptr ? cr : end;
    const auto* sub = static_cast<const char*>(std::memchr(p, EndOfText, static_cast<std::size_t>(stop - p)));
    return sub != nullptr ? sub : stop;
}

} // namespace

bool LineReader::next(std::string_view& piece, bool& lineEnds)
{
    piece = {};
    lineEnds = true;
    if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (ensureByte() && buffer_[pos_] == LineFeed)
            ++pos_;
    }
    if (ended_)
        return false;
    if (!ensureByte()) {
        ended_ = true;
        // The end of the text ends a line it interrupts: an empty last piece.
        const bool wasInLine = inLine_;
        inLine_ = false;
        return wasInLine;
    }
    if (!inLine_ && buffer_[pos_] == EndOfText) {
        ended_ = true;
        return false;
    }
    const char* begin = buffer_.data() + pos_;
    const char* end = buffer_.data() + len_;
    const char* stop = lineStop(begin, end);
    piece = std::string_view(begin, static_cast<std::size_t>(stop - begin));
    pos_ = static_cast<std::size_t>(stop - buffer_.data());
    inLine_ = stop == end; // the buffer is about to be refilled: the line goes on
    if (inLine_) {
        lineEnds = false;
    } else if (*stop == EndOfText) {
        ended_ = true; // left unread: nothing after it is text
    } else if (++pos_ < len_) {
        pos_ += buffer_[pos_] == LineFeed ? 1 : 0; // an LF right after the CR belongs to the line end
    } else {
        skipLineFeed_ = true; // the LF, if any, comes with the next refill
    }
    return true;
}

bool LineReader::skipLine()
{
    std::string_view piece;
    bool lineEnds = false;
    while (next(piece, lineEnds))
        if (lineEnds)
            return true;
    return false;
}

} // namespace corvane
