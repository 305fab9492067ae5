#include "input.h"

#include "code_page.h"
#include "conversion.h"
#include "div_pal.h"
#include "levels.h"
#include "palette_kind.h"
#include "text_reader.h"

#include <algorithm>
#include <cctype>

namespace corvane::formats {
namespace {

// A JASC-PAL count line is quoted as written, but a line of garbage is not
// worth kilobytes of message.
constexpr std::size_t MaxCountShown = 40;

Palette windowPalette(const Input& input, std::string_view head)
{
    Palette palette;
    palette.colours = input.table.entries();
    palette.kind = input.caption.text();
    if (input.result.kind == PaletteKind::Div) {
        palette.sixBit = true;
        constexpr std::size_t RangesAt = DivLevelOffset + DivLevelBytes;
        if (head.size() >= RangesAt + DivRangeBytes) {
            palette.ranges.emplace();
            std::copy_n(head.begin() + RangesAt, DivRangeBytes, palette.ranges->begin());
        }
    }
    return palette;
}

// Where the last extension starts; a leading dot starts none.
std::size_t extensionAt(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name.size() : dot;
}

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

bool Input::divFamily() const
{
    if (byWindow)
        return result.kind == PaletteKind::Div;
    return format != nullptr && format == formatNamed("div");
}

Problem InputReader::read(ByteSource& source, const Format* from, Input& input)
{
    // A DIV palette whole with its range block, and every signature, lie in
    // the first bytes: most inputs are read no further than their palette.
    // Only detection by size or by every line reads on, to the whole head and
    // one byte more, which tells whether the head is all of the input.
    constexpr std::size_t FirstBytes = DivLevelOffset + DivLevelBytes + DivRangeBytes;
    head_.resize(HeadBytes + 1);
    std::size_t got = readFully(source, head_.data(), FirstBytes);
    const auto failed = [&] {
        input.readFailed = source.failed();
        return input.readFailed;
    };
    if (failed())
        return std::nullopt;

    input.windowOpens = detectKind(std::string_view(head_.data(), got)) != PaletteKind::Unknown;
    if (from == nullptr && !input.windowOpens) {
        from = detectSignature(Head{std::string_view(head_.data(), got), got < FirstBytes});
        if (from == nullptr) {
            if (got == FirstBytes)
                got += readFully(source, head_.data() + got, head_.size() - got);
            if (failed())
                return std::nullopt;
            from = detectFormat(Head{std::string_view(head_.data(), std::min(got, HeadBytes)), got <= HeadBytes});
        }
        if (from == nullptr)
            return std::nullopt;
    }
    const std::string_view taken(head_.data(), got);
    PrefixedSource whole(taken, source);
    if (from == nullptr) {
        input.byWindow = true;
        input.result = loadPalette(whole, input.table, input.caption);
        input.readFailed = input.result.readFailed;
        if (!input.readFailed)
            input.palette = windowPalette(input, taken);
        return std::nullopt;
    }
    input.format = from;
    Problem problem = input.format->read(whole, input.palette);
    return failed() ? std::nullopt : problem;
}

std::string cannotRead(std::string_view why)
{
    return "lecture impossible : " + std::string(why);
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

std::string kindText(const Input& input)
{
    if (input.byWindow)
        return fileTextToUtf8(input.caption.text());
    if (input.format == nullptr)
        return std::string(UnknownKindMessage);
    std::string line = input.palette.kind + ", " + colourCount(input.palette.colours.size());
    if (!input.windowOpens)
        line.append(" (la fenêtre ne l'ouvre pas)");
    return line;
}

const Format* defaultFormat(const Input& input)
{
    return formatNamed(input.divFamily() ? "jasc" : "div");
}

bool windowConverts(const Input& input)
{
    return input.byWindow && conversionFor(input.caption) != Conversion::None;
}

Problem convertInput(const Input& input, const Format* to, std::string_view name, Output& output)
{
    if (!input.recognised())
        return std::string(UnknownKindMessage);
    output.format = to != nullptr ? to : defaultFormat(input);
    if (input.byWindow && to == nullptr) {
        const Conversion conversion = conversionFor(input.caption);
        if (conversion == Conversion::None) {
            const std::string_view count = input.result.countText;
            const std::string shown = count.size() > MaxCountShown
                                          ? fileTextToUtf8(count.substr(0, MaxCountShown)) + "…"
                                          : fileTextToUtf8(count);
            return "palette JASC-PAL de « " + shown +
                   " » couleurs : seules celles de 256 ou 16 couleurs se convertissent";
        }
        output.content = convertPalette(input.table, conversion);
        return std::nullopt;
    }
    if (output.format->write == nullptr)
        return "le format " + std::string(output.format->title) + " se lit mais ne s'écrit pas";
    return output.format->write(input.palette, WriteContext{paletteName(name)}, output.content);
}

std::string paletteName(std::string_view name)
{
    if (name == "-")
        return "palette";
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    return std::string(name.substr(0, extensionAt(name)));
}

std::string outputFileName(std::string_view name, std::string_view extension)
{
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    if (name.size() >= extension.size() && std::equal(extension.begin(), extension.end(),
                                                      name.end() - static_cast<std::ptrdiff_t>(extension.size()), same))
        return std::string(name);
    return std::string(name.substr(0, extensionAt(name))).append(extension);
}

} // namespace corvane::formats
