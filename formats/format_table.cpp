#include "act.h"
#include "div_family.h"
#include "format.h"
#include "gpl.h"
#include "hex.h"
#include "jasc_text.h"
#include "png.h"
#include "riff.h"
#include "vga.h"

#include <array>

namespace corvane::formats {
namespace {

// In the order detection tries them: the signatures that cannot be mistaken
// first, the bare binary tables last, since almost anything of the right size
// could be one.
constexpr std::array<Format, 8> Formats{{
    {"div", ".pal", "DIV", 256, detectDiv, readDiv, writeDiv},
    {"png", ".png", "PNG", 256, detectPng, readPng, writePng},
    {"riff", ".pal", "RIFF", MaxColours, detectRiff, readRiff, writeRiff},
    {"gpl", ".gpl", "GIMP", MaxColours, detectGpl, readGpl, writeGpl},
    {"jasc", ".pal", "JASC-PAL", MaxColours, detectJasc, readJasc, writeJasc},
    {"hex", ".hex", "Lospec", MaxColours, detectHex, readHex, writeHex},
    {"vga", ".pal", "VGA", 256, detectVga, readVga, writeVga},
    {"act", ".act", "Adobe", 256, detectAct, readAct, writeAct},
}};

} // namespace

std::span<const Format> allFormats()
{
    return Formats;
}

const Format* formatNamed(std::string_view name)
{
    for (const Format& format : Formats)
        if (format.name == name)
            return &format;
    return nullptr;
}

const Format* detectFormat(const Head& head)
{
    for (const Format& format : Formats)
        if (format.detect(head))
            return &format;
    return nullptr;
}

} // namespace corvane::formats
