#include "act.h"
#include "div_family.h"
#include "format.h"
#include "gpl.h"
#include "hex.h"
#include "jasc_text.h"
#include "png_format.h"
#include "riff.h"
#include "vga.h"

#include <array>

namespace corvane::formats {
namespace {

// A first line, after a UTF-8 byte-order mark, and its CR LF.
constexpr std::size_t GplSignature = 3 + std::string_view("GIMP Palette").size() + 2;
constexpr std::size_t JascSignature = 3 + std::string_view("JASC-PAL").size() + 2;

// In the order detection tries them: the signatures that cannot be mistaken
// first, the bare binary tables last, since almost anything of the right size
// could be one.
constexpr std::array<Format, 8> Formats{{
    {"div", ".pal", "DIV", 256, 8, detectDiv, readDiv, writeDiv},
    {"png", ".png", "PNG", 256, 8, detectPng, readPng, writePng},
    {"riff", ".pal", "RIFF", MaxColours, 12, detectRiff, readRiff, writeRiff},
    {"gpl", ".gpl", "GIMP", MaxColours, GplSignature, detectGpl, readGpl, writeGpl},
    {"jasc", ".pal", "JASC-PAL", MaxColours, JascSignature, detectJasc, readJasc, writeJasc},
    {"hex", ".hex", "Lospec", MaxColours, 0, detectHex, readHex, writeHex},
    {"vga", ".pal", "VGA", 256, 0, detectVga, readVga, writeVga},
    {"act", ".act", "Adobe", 256, 0, detectAct, readAct, writeAct},
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

const Format* detectSignature(const Head& head)
{
    for (const Format& format : Formats) {
        if (format.signatureBytes == 0 || (format.signatureBytes > head.bytes.size() && !head.whole))
            return nullptr;
        if (format.detect(head))
            return &format;
    }
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
