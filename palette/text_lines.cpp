#include "text_lines.h"

#include <algorithm>
#include <cstring>

namespace corvane {

bool LineReader::ensureByte()
{
    if (pos_ < len_)
        return true;
    pos_ = 0;
    len_ = source_.read(buffer_.data(), buffer_.size());
    crAt_ = otherAt_ = Unknown;
    return len_ > 0;
}

// Searched again only once the last one found is behind: a text of LF lines
// is not searched to the buffer's end for a CR at every line, nor the other
// way round, so every byte is searched at most once for each.
std::size_t LineReader::nextOf(char byte, std::size_t& at)
{
    if (at == Unknown || at < pos_) {
        const auto* found = static_cast<const char*>(std::memchr(buffer_.data() + pos_, byte, len_ - pos_));
        at = found != nullptr ? static_cast<std::size_t>(found - buffer_.data()) : len_;
    }
    return at;
}

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
    if (!inLine_ && buffer_[pos_] == EndOfText && otherStop_ == EndOfText) {
        ended_ = true;
        return false;
    }
    const std::size_t stop = std::min(nextOf(CarriageReturn, crAt_), nextOf(otherStop_, otherAt_));
    piece = std::string_view(buffer_.data() + pos_, stop - pos_);
    pos_ = stop;
    inLine_ = stop == len_; // the buffer is about to be refilled: the line goes on
    if (inLine_) {
        lineEnds = false;
    } else if (buffer_[stop] == EndOfText) {
        ended_ = true; // left unread: nothing after it is text
    } else if (buffer_[pos_++] == LineFeed) {
        // a line end of its own
    } else if (pos_ < len_) {
        pos_ += buffer_[pos_] == LineFeed ? 1 : 0; // an LF right after the CR belongs to the line end
    } else {
        skipLineFeed_ = true; // the LF, if any, comes with the next refill
    }
    return true;
}

void TextReader::take(std::string_view piece)
{
    const std::size_t keep = std::min(piece.size(), KeptBytes - std::min(KeptBytes, line_.size()));
    line_.append(piece.substr(0, keep));
    cut_ = cut_ || keep < piece.size();
}

void TextReader::ended()
{
    ++number_;
    if (number_ == 1 && rule_ == LineRule::AnyEnd && line_.starts_with(ByteOrderMark))
        line_.erase(0, ByteOrderMark.size());
}

} // namespace corvane
