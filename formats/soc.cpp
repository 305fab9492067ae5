// LibreOffice and OpenOffice colour tables (.soc): XML, through pugixml.
#include "format.h"

#include "hex_digits.h"
#include "levels.h"
#include "palette_building.h"
#include "text_reader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>

namespace corvane::formats {

extern const Format SocFormat;

namespace {

// A colour table is a few kilobytes; more is no table of ours, and is refused
// before any of it is read.
constexpr std::size_t MostBytes = std::size_t{16} << 20;
// The root must start within these first bytes, after the XML declaration
// and any comment before it.
constexpr std::size_t SignatureBytes = 4096;
// LibreOffice's own tables, and the OpenOffice.org 1 form five of them keep.
constexpr std::string_view Root = "ooo:color-table";
constexpr std::string_view OldRoot = "office:color-table";

// The name of the first element of an XML text, past its declaration,
// comments and blanks; empty when it cannot be told from these bytes.
std::string_view rootName(std::string_view text)
{
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    for (;;) {
        const std::size_t start = text.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos || text[start] != '<')
            return {};
        text.remove_prefix(start);
        std::string_view end;
        if (text.starts_with("<?"))
            end = "?>";
        else if (text.starts_with("<!--"))
            end = "-->";
        else
            break;
        const std::size_t at = text.find(end);
        if (at == std::string_view::npos)
            return {};
        text.remove_prefix(at + end.size());
    }
    text.remove_prefix(1);
    return text.substr(0, text.find_first_of(" \t\r\n/>"));
}

bool detect(const Head& head)
{
    const std::string_view root = rootName(head.bytes.substr(0, SignatureBytes));
    return root == Root || root == OldRoot;
}

std::size_t lineAt(std::string_view text, std::ptrdiff_t offset)
{
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
    return 1 + static_cast<std::size_t>(std::count(text.begin(), end, '\n'));
}

Problem read(ByteSource& source, Palette& palette)
{
    if (const std::optional<std::uint64_t> left = source.remaining(); left && *left > MostBytes)
        return std::string("une table de couleurs de plus de 16 Mio : trop pour Corvane");
    std::string text;
    std::array<char, 65536> chunk;
    while (const std::size_t n = source.read(chunk.data(), chunk.size())) {
        if (text.size() + n > MostBytes)
            return std::string("une table de couleurs de plus de 16 Mio : trop pour Corvane");
        text.append(chunk.data(), n);
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed)
        return "ligne " + std::to_string(lineAt(text, parsed.offset)) + " : XML mal formé";
    const pugi::xml_node root = document.document_element();
    if (root.name() != Root && root.name() != OldRoot)
        return "ce n'est pas une table de couleurs LibreOffice (racine « " + shownText(root.name()) + " »)";
    Palette read;
    read.kind = "Table de couleurs LibreOffice";
    for (const pugi::xml_node colour : root.children("draw:color")) {
        const std::string_view value = colour.attribute("draw:color").value();
        PaletteTable::Entry levels{};
        if (value.size() != 7 || value[0] != '#' || !hexLevels(value.substr(1), levels))
            return "couleur " + std::to_string(read.colours.size()) + " « " +
                   shownText(colour.attribute("draw:name").value()) + " » : draw:color n'est pas de la forme #rrggbb";
        if (Problem problem = addColour(read, levels))
            return problem;
    }
    return handOver(read, palette);
}

// As LibreOffice writes its own tables; each colour named by its number.
Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, SocFormat.maxColours))
        return problem;
    out.assign("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<ooo:color-table xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
               "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:svg=\"http://www.w3.org/2000/svg\" "
               "xmlns:ooo=\"http://openoffice.org/2004/office\">\n");
    for (std::size_t k = 0; k < palette.colours.size(); ++k) {
        out.append("  <draw:color draw:name=\"couleur ").append(std::to_string(k)).append("\" draw:color=\"#");
        appendHexLevels(out, palette.colours[k], false);
        out.append("\"/>\n");
    }
    out.append("</ooo:color-table>\n");
    return std::nullopt;
}

} // namespace

extern const Format SocFormat{"soc", ".soc", "LibreOffice", MaxColours, SignatureBytes, detect, read, write};

} // namespace corvane::formats
