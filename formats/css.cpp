// CSS custom properties for a game's web page: one colour a line in :root.
#include "format.h"

#include "hex_digits.h"
#include "levels.h"

namespace corvane::formats {

extern const Format CssFormat;

namespace {

// Only written: a style sheet is no palette file to read.
bool detect(const Head&)
{
    return false;
}

Problem read(ByteSource&, Palette&)
{
    return std::string("le format « css » s'écrit mais ne se lit pas");
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, CssFormat.maxColours))
        return problem;
    out.assign(":root {\n");
    for (std::size_t k = 0; k < palette.colours.size(); ++k) {
        out.append("  --couleur-").append(std::to_string(k)).append(": #");
        appendHexLevels(out, palette.colours[k], false);
        out.append(";\n");
    }
    out.append("}\n");
    return std::nullopt;
}

} // namespace

extern const Format CssFormat{"css", ".css", "CSS", MaxColours, 0, detect, read, write};

} // namespace corvane::formats
