#include "format.h"

#include <array>
#include <functional>

namespace corvane::formats {

// Each defined in its own file, beside its reader and writer.
extern const Format DivFormat, PngFormat, RiffFormat, GplFormat, JascFormat, HexFormat, VgaFormat, ActFormat;

namespace {

// In the order detection tries them: the signatures that cannot be mistaken
// first, the bare binary tables last, since almost anything of the right size
// could be one.
constexpr std::array<std::reference_wrapper<const Format>, 8> Formats{
    {DivFormat, PngFormat, RiffFormat, GplFormat, JascFormat, HexFormat, VgaFormat, ActFormat}};

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
