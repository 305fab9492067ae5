#include "palette_building.h"

#include "messages.h"

namespace corvane::formats {

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

} // namespace corvane::formats
