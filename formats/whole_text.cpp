#include "whole_text.h"

namespace corvane::formats {

Problem readWholeText(ByteSource& source, std::string& text)
{
    text.clear();
    constexpr std::size_t Chunk = 65536;
    // One byte past the bound tells a larger input from one of exactly that size.
    while (text.size() <= MaxTextBytes) {
        const std::size_t had = text.size();
        const std::size_t want = std::min(Chunk, MaxTextBytes + 1 - had);
        text.resize(had + want);
        const std::size_t got = readFully(source, text.data() + had, want);
        text.resize(had + got);
        if (got < want)
            return std::nullopt;
    }
    text.clear();
    return std::string("plus de 16 Mio : trop grand pour une palette");
}

} // namespace corvane::formats
