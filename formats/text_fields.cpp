#include "text_fields.h"

#include <algorithm>

namespace corvane::formats {

std::string_view takeField(std::string_view& text)
{
    constexpr std::string_view Blanks = " \t";
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(Blanks)));
    const std::string_view field = text.substr(0, text.find_first_of(Blanks));
    text.remove_prefix(field.size());
    return field;
}

std::optional<std::size_t> decimal(std::string_view field, std::size_t most)
{
    if (field.empty())
        return std::nullopt;
    std::size_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value > most)
            return std::nullopt;
    }
    return value;
}

bool takeLevels(std::string_view& text, PaletteTable::Entry& colour)
{
    for (std::int16_t& level : colour) {
        const std::optional<std::size_t> value = decimal(takeField(text), 255);
        if (!value)
            return false;
        level = static_cast<std::int16_t>(*value);
    }
    return true;
}

std::string nameOnOneLine(std::string_view name)
{
    std::string line(name);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return line;
}

} // namespace corvane::formats
