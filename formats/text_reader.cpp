#include "text_reader.h"

#include "messages.h"

#include <algorithm>

namespace corvane::formats {

std::string TextReader::where() const
{
    // A cut line is longer than shownText shows: it ends in "…" there.
    return "ligne " + std::to_string(number()) + " « " + shownText(line()) + " »";
}

bool firstLineIs(const Head& head, std::string_view text)
{
    MemorySource source(head.bytes);
    TextReader reader(source);
    return reader.nextIs(text);
}

} // namespace corvane::formats
