// Lospec's palette download: a JSON object whose "colors" holds "rrggbb" strings.
#include "format.h"

#include "hex_digits.h"
#include "levels.h"
#include "palette_building.h"
#include "text_reader.h"
#include "whole_text.h"

#include <nlohmann/json.hpp>

namespace corvane::formats {

extern const Format JsonFormat;

namespace {

using Json = nlohmann::ordered_json;

// Where parsing stopped, found by a second pass that keeps nothing.
struct ErrorPlace final : nlohmann::json_sax<Json> {
    std::size_t byte = 0;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override
    {
        byte = position;
        return false;
    }
};

// A '{' first, blanks and a byte-order mark aside, and a "colors" key in the
// head; the reader judges the rest.
bool detect(const Head& head)
{
    std::string_view bytes = head.bytes;
    if (bytes.starts_with(ByteOrderMark))
        bytes.remove_prefix(ByteOrderMark.size());
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && bytes[start] == '{' &&
           bytes.find("\"colors\"", start) != std::string_view::npos;
}

Problem read(ByteSource& source, Palette& palette)
{
    std::string text;
    if (Problem problem = readWholeText(source, text))
        return problem;
    std::string_view body = text;
    if (body.starts_with(ByteOrderMark))
        body.remove_prefix(ByteOrderMark.size());
    // Without exceptions, which the page's build has none of.
    Json json = Json::parse(body, nullptr, false);
    if (json.is_discarded()) {
        ErrorPlace place;
        Json::sax_parse(body, &place);
        return "JSON invalide à l'octet " + std::to_string(place.byte);
    }
    if (!json.is_object())
        return std::string("le JSON n'est pas un objet");
    const auto colors = json.find("colors");
    if (colors == json.end() || !colors->is_array())
        return std::string("le JSON n'a pas de tableau « colors »");
    Palette read;
    read.kind = "Palette JSON (Lospec)";
    std::size_t number = 0;
    for (const Json& entry : *colors) {
        ++number;
        PaletteTable::Entry colour{};
        const std::string* digits = entry.get_ptr<const std::string*>();
        std::string_view hex = digits != nullptr ? std::string_view(*digits) : std::string_view();
        if (hex.starts_with('#'))
            hex.remove_prefix(1);
        if (digits == nullptr || !hexLevels(hex, colour))
            return "couleur " + std::to_string(number) + " : une couleur s'écrit \"rrggbb\", six chiffres hexadécimaux";
        if (Problem problem = addColour(read, colour))
            return problem;
    }
    return handOver(read, palette);
}

Problem write(const Palette& palette, const WriteContext& context, std::string& out)
{
    if (Problem problem = checkEightBit(palette, JsonFormat.maxColours))
        return problem;
    Json json;
    json["name"] = context.name;
    json["author"] = "";
    Json& colors = json["colors"] = Json::array();
    for (const PaletteTable::Entry& colour : palette.colours) {
        std::string digits;
        appendHexLevels(digits, colour, false);
        colors.push_back(std::move(digits));
    }
    // A file name that is not UTF-8 keeps its valid part: JSON holds only UTF-8.
    out = json.dump(2, ' ', false, Json::error_handler_t::replace);
    out.push_back('\n');
    return std::nullopt;
}

} // namespace

extern const Format JsonFormat{"json", ".json", "Lospec JSON", MaxColours, 0, detect, read, write};

} // namespace corvane::formats
