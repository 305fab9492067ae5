#include "messages.h"

#include "code_page.h"

namespace corvane::formats {
namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

} // namespace

std::string colourCount(std::size_t n)
{
    return std::to_string(n) + (n > 1 ? " couleurs" : " couleur");
}

void appendByteEscape(std::string& out, unsigned char byte)
{
    constexpr std::string_view Hex = "0123456789ABCDEF";
    out.append("\\x").push_back(Hex[byte >> 4]);
    out.push_back(Hex[byte & 0xF]);
}

std::string fileTextToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char32_t c = windows1252(b); // the five unassigned bytes are controls: escaped
        if (isControl(c))
            appendByteEscape(out, b);
        else if (c == '\\')
            out.append("\\\\");
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string printableName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (const char byte : name) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x20 || b == 0x7F)
            appendByteEscape(out, b);
        else if (b == '\\')
            out.append("\\\\");
        else
            out.push_back(byte);
    }
    return out;
}

} // namespace corvane::formats
