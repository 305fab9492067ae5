#include "text_reader.h"

#include "messages.h"

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

} // namespace corvane::formats
