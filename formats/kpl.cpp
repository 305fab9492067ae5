// Krita's palettes (.kpl): a zip holding colorset.xml, through minizip and pugixml.
#include "format.h"

#include "binary.h"
#include "levels.h"
#include "messages.h"
#include "palette_building.h"
#include "text_fields.h"
#include "unit_levels.h"
#include "zip_memory.h"

#include <pugixml.hpp>
#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace corvane::formats {

extern const Format KplFormat;

namespace {

// A palette is a few kilobytes, a few hundred with its colour profiles: more
// is none of Krita's. Neither the file nor its colorset.xml is read past it.
constexpr std::size_t MostBytes = std::size_t{16} << 20;
const std::string TooBig = "une palette Krita de plus de 16 Mio : trop pour Corvane";
const std::string EntryTooBig = "plus de 16 Mio une fois décompressé : trop pour Corvane";
// The first entry of Krita's zip: its local header, then "mimetype", stored,
// holding the type that Krita writes, or the one newer Krita writes.
constexpr std::string_view LocalHeader{"PK\3\4", 4};
constexpr std::size_t LocalHeaderBytes = 30;
constexpr std::string_view MimetypeEntry = "mimetype";
constexpr std::array<std::string_view, 2> MimeTypes{"krita/x-colorset", "application/x-krita-palette"};
// The type must lie within these first bytes, past any extra field.
constexpr std::size_t SignatureBytes = 1024;
constexpr std::string_view ColourSetEntry = "colorset.xml";
// As Krita writes its own palettes.
constexpr std::size_t Columns = 16;

bool detect(const Head& head)
{
    const std::string_view bytes = head.bytes.substr(0, SignatureBytes);
    if (bytes.size() < LocalHeaderBytes || !bytes.starts_with(LocalHeader))
        return false;
    const auto* header = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint32_t method = littleEndian(header + 8, 2);
    const std::uint32_t size = littleEndian(header + 18, 4);
    const std::size_t nameBytes = littleEndian(header + 26, 2);
    const std::size_t extraBytes = littleEndian(header + 28, 2);
    const std::string_view rest = bytes.substr(LocalHeaderBytes);
    if (method != 0 || rest.substr(0, nameBytes) != MimetypeEntry || rest.size() < nameBytes + extraBytes)
        return false;
    const std::string_view type = rest.substr(nameBytes + extraBytes, size);
    return std::find(MimeTypes.begin(), MimeTypes.end(), type) != MimeTypes.end();
}

// --- The zip, in memory ---

// The entry inflated, no further than MostBytes: a zip's sizes are the
// file's word, which a bomb belies.
Problem entryBytes(ZipMemory& zip, std::string_view name, std::string& out)
{
    zlib_filefunc_def functions = zipMemoryFunctions(zip);
    const std::unique_ptr<void, int (*)(unzFile)> archive(unzOpen2("palette.kpl", &functions), unzClose);
    if (!archive)
        return std::string("ce n'est pas une archive zip lisible");
    const std::string entry(name);
    if (unzLocateFile(archive.get(), entry.c_str(), 1) != UNZ_OK)
        return "l'archive n'a pas de " + entry;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(archive.get()) != UNZ_OK)
        return entry + " : entrée illisible";
    if (info.uncompressed_size > MostBytes)
        return entry + " : " + EntryTooBig;
    std::array<char, 65536> chunk;
    int n = 0;
    while ((n = unzReadCurrentFile(archive.get(), chunk.data(), chunk.size())) > 0) {
        if (out.size() + static_cast<std::size_t>(n) > MostBytes)
            return entry + " : " + EntryTooBig;
        out.append(chunk.data(), static_cast<std::size_t>(n));
    }
    // Closing checks the CRC of an entry read to its end.
    if (unzCloseCurrentFile(archive.get()) != UNZ_OK || n < 0)
        return entry + " : données abîmées";
    return std::nullopt;
}

// --- The palette ---

std::size_t lineAt(std::string_view text, std::ptrdiff_t offset)
{
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
    return 1 + static_cast<std::size_t>(std::count(text.begin(), end, '\n'));
}

Problem readEntry(const pugi::xml_node entry, Palette& read)
{
    const std::string number = "couleur " + std::to_string(read.colours.size());
    // Its first element, bar its place in the grid.
    const pugi::xml_node colour = entry.find_child([](const pugi::xml_node node) {
        return node.type() == pugi::node_element && std::string_view(node.name()) != "Position";
    });
    if (!colour)
        return number + " : aucune couleur";
    if (std::string_view(colour.name()) != "RGB")
        return number + " : couleur " + shownText(colour.name()) + ", seule RGB se lit (pas de gestion des couleurs)";
    PaletteTable::Entry levels{};
    for (std::size_t c = 0; c < levels.size(); ++c) {
        const char* const component = std::array{"r", "g", "b"}[c];
        const std::string_view text = colour.attribute(component).value();
        const std::optional<int> level = unitLevel(text);
        if (!level)
            return number + " : " + component + " s'écrit en nombre de 0 à 1, pas « " + shownText(text) + " »";
        levels[c] = static_cast<std::int16_t>(*level);
    }
    return addColour(read, levels);
}

// A group's colours as Krita shows them, row by row in its grid (Krita writes
// them column by column); those without a place, after.
Problem readGroup(const pugi::xml_node group, Palette& read)
{
    struct Placed {
        unsigned row, column;
        pugi::xml_node entry;
    };
    std::vector<Placed> entries;
    for (const pugi::xml_node entry : group.children("ColorSetEntry")) {
        const pugi::xml_node position = entry.child("Position");
        entries.push_back(
            {position.attribute("row").as_uint(UINT_MAX), position.attribute("column").as_uint(UINT_MAX), entry});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Placed& a, const Placed& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    for (const Placed& placed : entries)
        if (Problem problem = readEntry(placed.entry, read))
            return problem;
    return std::nullopt;
}

Problem read(ByteSource& source, Palette& palette)
{
    if (const std::optional<std::uint64_t> left = source.remaining(); left && *left > MostBytes)
        return TooBig;
    ZipMemory zip;
    std::array<char, 65536> chunk;
    while (const std::size_t n = source.read(chunk.data(), chunk.size())) {
        if (zip.bytes.size() + n > MostBytes)
            return TooBig;
        zip.bytes.append(chunk.data(), n);
    }
    std::string text;
    if (Problem problem = entryBytes(zip, ColourSetEntry, text))
        return problem;
    const std::string entry(ColourSetEntry);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed)
        return entry + ", ligne " + std::to_string(lineAt(text, parsed.offset)) + " : XML mal formé";
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "ColorSet")
        return entry + " : ce n'est pas une palette Krita (racine « " + shownText(root.name()) + " »)";
    Palette read;
    read.kind = "Palette Krita";
    // The colours outside any group first, as Krita shows them.
    if (Problem problem = readGroup(root, read))
        return problem;
    for (const pugi::xml_node group : root.children("Group"))
        if (Problem problem = readGroup(group, read))
            return problem;
    return handOver(read, palette);
}

// --- Writing ---

// Within double quotes, XML wants these three written otherwise.
std::string xmlAttribute(std::string_view text)
{
    std::string out;
    for (const char& c : text)
        out.append(c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '"' ? "&quot;" : std::string_view(&c, 1));
    return out;
}

// Adds an entry dated as the zip's epoch, so that a palette is always written
// the same: the mimetype stored, the rest deflated.
bool addEntry(zipFile zip, const char* name, std::string_view content, bool stored)
{
    zip_fileinfo info{};
    info.tmz_date = {0, 0, 0, 1, 0, 1980};
    const bool opened = zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, stored ? 0 : Z_DEFLATED,
                                            stored ? 0 : Z_DEFAULT_COMPRESSION) == ZIP_OK;
    const bool written =
        opened && zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

// As Krita writes its own, sixteen columns, the levels in sRGB; no colour
// profile travels with it, Krita has sRGB's.
Problem write(const Palette& palette, const WriteContext& context, std::string& out)
{
    if (Problem problem = checkEightBit(palette, KplFormat.maxColours))
        return problem;
    // The file's name as a message shows it: XML holds only UTF-8.
    std::string colourSet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ColorSet version=\"2.0\" name=\"" +
                            xmlAttribute(shownText(nameOnOneLine(context.name), std::string_view::npos)) +
                            "\" comment=\"\" columns=\"" + std::to_string(Columns) + "\" rows=\"" +
                            std::to_string((palette.colours.size() + Columns - 1) / Columns) +
                            "\" readonly=\"false\">\n";
    for (std::size_t k = 0; k < palette.colours.size(); ++k) {
        const PaletteTable::Entry& colour = palette.colours[k];
        colourSet.append(" <ColorSetEntry name=\"\" id=\"\" spot=\"false\" bitdepth=\"U8\">\n")
            .append("  <RGB space=\"sRGB-elle-V2-srgbtrc.icc\" r=\"")
            .append(shortestLevel(colour[0]))
            .append("\" g=\"")
            .append(shortestLevel(colour[1]))
            .append("\" b=\"")
            .append(shortestLevel(colour[2]))
            .append("\"/>\n  <Position row=\"")
            .append(std::to_string(k / Columns))
            .append("\" column=\"")
            .append(std::to_string(k % Columns))
            .append("\"/>\n </ColorSetEntry>\n");
    }
    colourSet.append("</ColorSet>\n");

    ZipMemory memory;
    zlib_filefunc_def functions = zipMemoryFunctions(memory);
    zipFile zip = zipOpen2("palette.kpl", APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr)
        return std::string("l'archive zip n'a pu être faite");
    bool made = addEntry(zip, "mimetype", MimeTypes[0], true) && addEntry(zip, "colorset.xml", colourSet, false) &&
                addEntry(zip, "profiles.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Profiles/>\n", false);
    made = zipClose(zip, nullptr) == ZIP_OK && made;
    if (!made)
        return std::string("l'archive zip n'a pu être faite");
    out = std::move(memory.bytes);
    return std::nullopt;
}

} // namespace

extern const Format KplFormat{"kpl", ".kpl", "Krita", MaxColours, SignatureBytes, detect, read, write};

} // namespace corvane::formats
