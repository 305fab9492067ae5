#include "text_reader.h"

#include <cstring>

namespace corvane::formats {

bool TextReader::fill()
{
    if (ended_)
        return false;
    pos_ = 0;
    len_ = source_.read(buffer_.data(), buffer_.size());
    ended_ = len_ == 0;
    return !ended_;
}

bool TextReader::next()
{
    line_.clear();
    cut_ = false;
    bool any = false;
    for (;;) {
        if (pos_ == len_ && !fill())
            break;
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[pos_] == '\n' && ++pos_ == len_)
                continue;
        }
        // memchr for both ends, so that a huge line passes at the speed of a byte search.
        const char* start = buffer_.data() + pos_;
        const std::size_t left = len_ - pos_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', left));
        const std::size_t lfAt = lf != nullptr ? static_cast<std::size_t>(lf - start) : left;
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', lfAt));
        const std::size_t end = cr != nullptr ? static_cast<std::size_t>(cr - start) : lfAt;
        const std::size_t keep = std::min(end, KeptBytes - std::min(KeptBytes, line_.size()));
        line_.append(start, keep);
        cut_ = cut_ || keep < end;
        any = true;
        if (end == left) {
            pos_ = len_;
            continue;
        }
        pos_ += end + 1;
        skipLineFeed_ = start[end] == '\r';
        ++number_;
        if (number_ == 1 && line_.starts_with("\xEF\xBB\xBF"))
            line_.erase(0, 3);
        return true;
    }
    if (!any)
        return false;
    ++number_; // a last line with no end
    if (number_ == 1 && line_.starts_with("\xEF\xBB\xBF"))
        line_.erase(0, 3);
    return true;
}

std::string TextReader::where() const
{
    std::string text = "ligne " + std::to_string(number_) + " « ";
    text.append(shownText(line_)).append(cut_ && line_.size() <= 40 ? "…" : "").append(" »");
    return text;
}

std::string shownText(std::string_view bytes, std::size_t most)
{
    std::string out;
    std::size_t size = std::min(bytes.size(), most);
    // Not inside a UTF-8 sequence.
    while (size < bytes.size() && size > 0 && (static_cast<unsigned char>(bytes[size]) & 0xC0) == 0x80)
        --size;
    for (const char byte : bytes.substr(0, size)) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x20 || b == 0x7F) {
            constexpr std::string_view Hex = "0123456789ABCDEF";
            out.append("\\x").push_back(Hex[b >> 4]);
            out.push_back(Hex[b & 0xF]);
        } else if (b == '\\') {
            out.append("\\\\");
        } else {
            out.push_back(byte);
        }
    }
    if (size < bytes.size())
        out.append("…");
    return out;
}

} // namespace corvane::formats
