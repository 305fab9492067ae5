// Godot 4's ColorPalette resource: levels between 0 and 1, four a colour.
#include "format.h"

#include "levels.h"
#include "palette_building.h"
#include "text_reader.h"
#include "unit_levels.h"
#include "whole_text.h"

#include <algorithm>

namespace corvane::formats {

extern const Format TresFormat;

namespace {

// How the first line starts; `format=3` and a `uid` may follow.
constexpr std::string_view Magic = "[gd_resource type=\"ColorPalette\"";
constexpr std::size_t SignatureBytes = ByteOrderMark.size() + Magic.size();
constexpr std::string_view Colours = "colors = PackedColorArray(";

bool detect(const Head& head)
{
    std::string_view bytes = head.bytes;
    if (bytes.starts_with(ByteOrderMark))
        bytes.remove_prefix(ByteOrderMark.size());
    return bytes.starts_with(Magic);
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The line, counted from 1, on which `at` lies.
std::size_t lineAt(std::string_view text, std::size_t at)
{
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

Problem read(ByteSource& source, Palette& palette)
{
    std::string whole;
    if (Problem problem = readWholeText(source, whole))
        return problem;
    std::string_view text = whole;
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    if (!text.starts_with(Magic))
        return std::string("ce n'est pas une palette Godot");
    Palette read;
    read.kind = "Palette Godot";
    // The colours are a property of the [resource] section.
    const std::size_t section = text.find("\n[resource]");
    const std::size_t start = section == std::string_view::npos ? section : text.find(Colours, section);
    if (start == std::string_view::npos)
        return handOver(read, palette);
    const std::size_t first = start + Colours.size();
    const std::size_t end = text.find(')', first);
    if (end == std::string_view::npos)
        return "ligne " + std::to_string(lineAt(text, start)) + " : PackedColorArray sans « ) »";
    std::string_view levels = text.substr(first, end - first);
    std::vector<int> values;
    while (!trimmed(levels).empty()) {
        const std::size_t comma = levels.find(',');
        const std::string_view value = trimmed(levels.substr(0, comma));
        levels = comma == std::string_view::npos ? std::string_view() : levels.substr(comma + 1);
        const std::optional<int> level = unitLevel(value);
        if (!level)
            return "couleur " + std::to_string(values.size() / 4 + 1) +
                   " : un niveau s'écrit en nombre de 0 à 1, pas « " + shownText(value) + " »";
        values.push_back(*level);
    }
    if (values.size() % 4 != 0)
        return "couleur " + std::to_string(values.size() / 4 + 1) +
               " : une couleur s'écrit en quatre nombres, rouge, vert, bleu et alpha";
    for (std::size_t k = 0; k < values.size(); k += 4)
        if (Problem problem =
                addColour(read, {static_cast<std::int16_t>(values[k]), static_cast<std::int16_t>(values[k + 1]),
                                 static_cast<std::int16_t>(values[k + 2])}))
            return problem;
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, TresFormat.maxColours))
        return problem;
    out.assign(Magic).append(" format=3]\n\n[resource]\ncolors = PackedColorArray(");
    const char* separator = "";
    for (const PaletteTable::Entry& colour : palette.colours) {
        for (const int level : colour) {
            out.append(separator).append(shortestLevel(level));
            separator = ", ";
        }
        out.append(", 1");
    }
    out.append(")\n");
    return std::nullopt;
}

} // namespace

extern const Format TresFormat{"tres", ".tres", "Godot", MaxColours, SignatureBytes, detect, read, write};

} // namespace corvane::formats
