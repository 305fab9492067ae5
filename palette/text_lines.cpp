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
    return len_ > 0;
}

bool LineReader::next(std::string& line)
{
    line.clear();
    if (ended_)
        return false;
    if (!ensureByte() || buffer_[pos_] == EndOfText) {
        ended_ = true;
        return false;
    }
    for (;;) {
        if (!ensureByte()) {
            ended_ = true;
            return true;
        }
        const char* begin = buffer_.data() + pos_;
        const char* end = buffer_.data() + len_;
        const auto* cr = static_cast<const char*>(std::memchr(begin, CarriageReturn, static_cast<std::size_t>(end - begin)));
        const char* stop = cr != nullptr ? cr : end;
        const auto* sub = static_cast<const char*>(std::memchr(begin, EndOfText, static_cast<std::size_t>(stop - begin)));
        if (sub != nullptr)
            stop = sub;

        const std::size_t room = MaxLineLength - line.size();
        line.append(begin, std::min(room, static_cast<std::size_t>(stop - begin)));
        pos_ = static_cast<std::size_t>(stop - buffer_.data());
        if (stop == end)
            continue;
        if (*stop == EndOfText) {
            ended_ = true;
            return true;
        }
        ++pos_; // the CR
        if (ensureByte() && buffer_[pos_] == LineFeed)
            ++pos_;
        return true;
    }
}

PaletteKind detectKind(std::string_view head)
{
    head = head.substr(0, KindHeadBytes);
    const std::size_t lineEnd = head.find_first_of(std::string_view("\r\x1A", 2));
    if (lineEnd == std::string_view::npos && head.size() == KindHeadBytes)
        return PaletteKind::Unknown; // the first line is longer than any magic
    const std::string_view line = head.substr(0, lineEnd);
    if (line == JascPalMagic)
        return PaletteKind::JascPal;
    if (line == DivMagic)
        return PaletteKind::Div;
    return PaletteKind::Unknown;
}

PaletteKind detectKind(ByteSource& source)
{
    std::array<char, KindHeadBytes> head{};
    const std::size_t got = readFully(source, head.data(), head.size());
    return detectKind(std::string_view(head.data(), got));
}

PaletteKind detectKindFile(const std::filesystem::path& path)
{
    FileSource file(path);
    if (!file.isOpen())
        return PaletteKind::Unknown;
    return detectKind(file);
}

} // namespace corvane
