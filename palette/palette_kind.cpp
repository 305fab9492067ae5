#include "palette_kind.h"

#include <array>

namespace corvane {

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

} // namespace corvane
