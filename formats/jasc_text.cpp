#include "format.h"

#include "jasc_pal.h"
#include "messages.h"
#include "text_fields.h"
#include "text_reader.h"

namespace corvane::formats {

extern const Format JascFormat;

namespace {

constexpr std::string_view Kind = "Palette JASC-PAL";
// The first line, after a UTF-8 byte-order mark, and its CR LF.
constexpr std::size_t SignatureBytes = ByteOrderMark.size() + JascPalMagic.size() + 2;

std::string badLine(const TextReader& reader, std::string_view what)
{
    return reader.where() + " : " + std::string(what);
}

bool detect(const Head& head)
{
    return firstLineIs(head, JascPalMagic);
}

Problem read(ByteSource& source, Palette& palette)
{
    TextReader reader(source);
    if (readJascStart(reader) == JascStart::NotJasc)
        return std::string("ce n'est pas un fichier JASC-PAL");
    if (!reader.next())
        return std::string("le fichier s'arrête avant son nombre de couleurs");
    std::string_view text = reader.line();
    const std::string_view field = takeField(text);
    if (reader.cut() || field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos ||
        !takeField(text).empty())
        return badLine(reader, "nombre de couleurs illisible");
    const std::optional<std::size_t> count = decimal(field, MaxColours);
    if (!count)
        return badLine(reader, TooManyColours);
    if (*count == 0)
        return badLine(reader, NoColour);

    Palette read;
    read.kind = Kind;
    read.colours.resize(*count);
    for (std::size_t k = 0; k < *count; ++k) {
        if (!reader.next())
            return "le fichier s'arrête avant sa couleur " + std::to_string(k) + " (il en annonce " +
                   std::to_string(*count) + ")";
        text = reader.line();
        // The alpha some tools add is read as a level and not kept.
        const bool fits = !reader.cut() && takeLevels(text, read.colours[k]);
        const std::string_view alpha = takeField(text);
        if (!fits || (!alpha.empty() && !decimal(alpha, 255)) || !takeField(text).empty())
            return badLine(reader, "une couleur JASC-PAL s'écrit en trois nombres de 0 à 255, plus l'alpha au besoin");
    }
    palette = std::move(read);
    return std::nullopt;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (palette.colours.empty())
        return std::string(NoColour);
    out.assign(JascPalMagic).append("\r\n").append(JascPalVersion).append("\r\n");
    out += std::to_string(palette.colours.size()) + "\r\n";
    for (const PaletteTable::Entry& colour : palette.colours)
        out += std::to_string(colour[0]) + ' ' + std::to_string(colour[1]) + ' ' + std::to_string(colour[2]) + "\r\n";
    return std::nullopt;
}

} // namespace

extern const Format JascFormat{"jasc", ".pal", "JASC-PAL", MaxColours, SignatureBytes, detect, read, write};

} // namespace corvane::formats
