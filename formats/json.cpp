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

// The palette as the parser goes, without building the document: the root
// object's "colors" array of strings. Every error of the JSON itself comes
// before any of its content, as the whole text is parsed either way.
class PaletteEvents final : public nlohmann::json_sax<Json> {
public:
    Palette read;
    Problem content;         // the first fault of the content, once the JSON is sound
    std::size_t errorAt = 0; // where the JSON itself is broken; 0 if it is not
    bool rootIsObject = false;
    bool colorsFound = false;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool string(string_t& text) override
    {
        if (depth_ == 2 && inColors_)
            return colour(&text);
        return value();
    }
    bool start_object(std::size_t) override
    {
        if (depth_ == 0)
            rootIsObject = true;
        value();
        return open();
    }
    bool start_array(std::size_t) override
    {
        if (depth_ == 1 && colorsKey_) {
            // A later "colors" replaces an earlier one, as in the document.
            inColors_ = colorsFound = true;
            read.colours.clear();
            content.reset();
            number_ = 0;
        } else if (depth_ == 2 && inColors_) {
            colour(nullptr);
        }
        return open();
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override
    {
        colorsKey_ = depth_ == 1 && name == "colors";
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override
    {
        errorAt = position;
        return false;
    }

private:
    bool value()
    {
        if (depth_ == 2 && inColors_)
            colour(nullptr);
        else if (depth_ == 1 && colorsKey_)
            colorsFound = false; // "colors" that is no array
        return true;
    }
    bool open()
    {
        ++depth_;
        return true;
    }
    bool close()
    {
        if (--depth_ == 1)
            inColors_ = false;
        return true;
    }
    bool colour(const string_t* digits)
    {
        ++number_;
        if (content)
            return true;
        std::string_view hex = digits != nullptr ? std::string_view(*digits) : std::string_view();
        if (hex.starts_with('#'))
            hex.remove_prefix(1);
        PaletteTable::Entry entry{};
        if (digits == nullptr || !hexLevels(hex, entry))
            content =
                "couleur " + std::to_string(number_) + " : une couleur s'écrit \"rrggbb\", six chiffres hexadécimaux";
        else
            content = addColour(read, entry);
        return true;
    }

    std::size_t depth_ = 0;
    bool colorsKey_ = false;
    bool inColors_ = false;
    std::size_t number_ = 0;
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
    PaletteEvents events;
    events.read.kind = "Palette JSON (Lospec)";
    if (!Json::sax_parse(body, &events))
        return "JSON invalide à l'octet " + std::to_string(events.errorAt);
    if (!events.rootIsObject)
        return std::string("le JSON n'est pas un objet");
    if (!events.colorsFound)
        return std::string("le JSON n'a pas de tableau « colors »");
    if (events.content)
        return events.content;
    return handOver(events.read, palette);
}

// The two-character escapes JSON has; nullptr for the rest.
const char* shortEscape(unsigned char c)
{
    switch (c) {
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        return nullptr;
    }
}

// A JSON string: quotes, backslashes and control characters escaped, each
// byte that is not UTF-8 (a file name may hold any) replaced by U+FFFD.
void appendJsonString(std::string& out, std::string_view text)
{
    out.push_back('"');
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        const std::size_t length = utf8Length(text);
        if (length == 0) {
            out.append("\xEF\xBF\xBD");
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (const char* shortForm = shortEscape(c)) {
            out.append(shortForm);
        } else if (c < 0x20) {
            constexpr char Digits[] = "0123456789abcdef";
            out.append("\\u00").push_back(Digits[c >> 4]);
            out.push_back(Digits[c & 0xF]);
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    out.push_back('"');
}

// Two spaces an indent; written by hand, since a document built only to be
// printed would weigh on the page for nothing.
Problem write(const Palette& palette, const WriteContext& context, std::string& out)
{
    if (Problem problem = checkEightBit(palette, JsonFormat.maxColours))
        return problem;
    out.assign("{\n  \"name\": ");
    appendJsonString(out, context.name);
    out.append(",\n  \"author\": \"\",\n  \"colors\": [");
    for (std::size_t k = 0; k < palette.colours.size(); ++k) {
        out.append(k == 0 ? "\n    \"" : ",\n    \"");
        appendHexLevels(out, palette.colours[k], false);
        out.push_back('"');
    }
    out.append(palette.colours.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return std::nullopt;
}

} // namespace

extern const Format JsonFormat{"json", ".json", "Lospec JSON", MaxColours, 0, detect, read, write};

} // namespace corvane::formats
