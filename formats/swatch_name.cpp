#include "swatch_name.h"

#include "binary.h"

#include <cstdio>
#include <string_view>

namespace corvane::formats {

void appendColourName(std::string& out, const PaletteTable::Entry& colour)
{
    char name[ColourNameUnits];
    std::snprintf(name, sizeof name, "#%02x%02x%02x", colour[0], colour[1], colour[2]);
    for (const char c : std::string_view(name, ColourNameUnits))
        appendBigEndian(out, static_cast<unsigned char>(c), 2);
}

} // namespace corvane::formats
