#include "messages.h"

#include "code_page.h"

#include <algorithm>

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

// How the bytes of a text are taken before they are shown.
enum class Decoding {
    Bytes,       // each byte as it is
    Windows1252, // each byte a character, written in UTF-8
    Utf8,        // each UTF-8 sequence as it is; a byte of none escaped
};

// The one escaper: a control character as \xHH with its byte (or its first
// byte), a backslash as \\, at most `most` bytes of the text, then "…".
std::string escaped(std::string_view bytes, Decoding decoding, std::size_t most = std::string_view::npos)
{
    std::string out;
    out.reserve(std::min(bytes.size(), most));
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 1;
        bool control = b < 0x20 || b == 0x7F;
        char32_t c = b;
        if (decoding == Decoding::Windows1252) {
            c = windows1252(b); // the five unassigned bytes are controls: escaped
            control = isControl(c);
        } else if (decoding == Decoding::Utf8) {
            length = utf8Length(bytes.substr(at));
            control = control || length == 0;
            length = std::max<std::size_t>(length, 1);
        }
        if (at + length > most)
            break;
        if (control)
            appendByteEscape(out, b);
        else if (b == '\\')
            out.append("\\\\");
        else if (decoding == Decoding::Windows1252)
            appendUtf8(out, c);
        else
            out.append(bytes.substr(at, length));
        at += length;
    }
    if (at < bytes.size())
        out.append("…");
    return out;
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
    return escaped(bytes, Decoding::Windows1252);
}

std::string printableName(std::string_view name)
{
    return escaped(name, Decoding::Bytes);
}

std::string shownText(std::string_view bytes, std::size_t most)
{
    return escaped(bytes, Decoding::Utf8, most);
}

std::size_t utf8Length(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (bytes.size() < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace corvane::formats
