#include "format.h"

#include "hex_digits.h"
#include "text_reader.h"

#include <array>
#include <functional>

namespace corvane::formats {

// Each defined in its own file, beside its reader and writer.
extern const Format DivFormat, PngFormat, RiffFormat, GplFormat, JascFormat, HexFormat, TxtFormat, GifFormat, BmpFormat,
    PcxFormat, LbmFormat, AsepriteFormat, AseFormat, AcoFormat, ColFormat, SocFormat, JsonFormat, TresFormat, CssFormat,
    KplFormat, VgaFormat, ActFormat;

namespace {

// In the order detection tries them: the signatures that cannot be mistaken
// first, the bare binary tables last, since almost anything of the right size
// could be one; a JSON object goes by a key anywhere in the head, so after
// the signatures (a 768-byte JSON is JSON all the same). An entry may yield to a format after it (yieldsTo): a VGA
// table, 768 bytes all 6-bit levels, stays one though its bytes could also
// start a PCX header, be Paint.NET's digits or Photoshop's swatches.
constexpr std::array<std::reference_wrapper<const Format>, 22> Formats{
    {DivFormat,  PngFormat,  RiffFormat, GplFormat,      JascFormat, HexFormat, TxtFormat, GifFormat,
     BmpFormat,  PcxFormat,  LbmFormat,  AsepriteFormat, AseFormat,  AcoFormat, ColFormat, SocFormat,
     TresFormat, JsonFormat, CssFormat,  KplFormat,      VgaFormat,  ActFormat}};

// The text rules without a signature (hex, txt) take a head only if each of
// its non-empty lines is a ';' comment or hex digits, '#' before them allowed.
// A first line that starts otherwise, as GIF, BM and a PCX's version byte
// after its line feed do, is none of theirs: the signatures after them decide.
// True also for text with a signature (GIMP, JASC-PAL), which comes earlier.
// Anything unsure counts as hex lines, which only defers to the whole head.
bool cannotBeHexLines(std::string_view head)
{
    if (head.starts_with(ByteOrderMark))
        head.remove_prefix(ByteOrderMark.size());
    const std::size_t start = head.find_first_not_of("\r\n");
    if (start == std::string_view::npos || head.size() - start < 2)
        return false;
    const char first = head[start];
    const char second = head[start + 1];
    if (first == ';' || first == '#' || first == ' ' || first == '\t')
        return false;
    return !(isHexDigit(first) && isHexDigit(second));
}

} // namespace

std::span<const std::reference_wrapper<const Format>> allFormats()
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
    const bool hexLinesRuledOut = cannotBeHexLines(head.bytes);
    for (const Format& format : Formats) {
        // No signature: a text rule, which such a head cannot satisfy, or a
        // size rule (vga, act), which the whole input decides after every signature.
        if (format.signatureBytes == 0) {
            if (!hexLinesRuledOut)
                return nullptr;
            continue;
        }
        if (format.signatureBytes > head.bytes.size() && !head.whole)
            return nullptr;
        if (detects(format, head))
            return &format;
    }
    return nullptr;
}

bool detects(const Format& format, const Head& head)
{
    return format.detect(head) && (format.yieldsTo == nullptr || !detects(*format.yieldsTo, head));
}

const Format* detectFormat(const Head& head)
{
    for (const Format& format : Formats)
        if (detects(format, head))
            return &format;
    return nullptr;
}

} // namespace corvane::formats
