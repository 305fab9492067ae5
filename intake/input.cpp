#include "input.h"

#include "div_pal.h"
#include "levels.h"
#include "load.h"
#include "messages.h"
#include "system_errors.h"
#include "target.h"
#include "text_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace corvane::intake {

using namespace formats;
namespace {

// A JASC-PAL count line is quoted as written, but a line of garbage is not
// worth kilobytes of message.
constexpr std::size_t MaxCountShown = 40;

constexpr std::string_view LineFeedWarning =
    "attention : une ligne de couleur contient un LF seul, que la fenêtre ne prend pas pour une fin de ligne ; "
    "--from=jasc lit les fins de ligne telles qu'écrites";

// The window's rule, the first step of the detection order, shaped as a
// format's reader: the window's reading of the file, and the same colours as
// the formats' writers take them. A DIV palette's range block comes from the
// first bytes, which the window's reader does not go past.
Problem readAsWindow(ByteSource& source, std::string_view head, Input& input)
{
    PaletteTable table;
    KindCaption caption;
    const LoadResult loaded = loadPalette(source, table, caption);
    if (loaded.failure != 0)
        return cannotRead(frenchErrnoText(loaded.failure));
    input.format = formatNamed(loaded.kind == PaletteKind::Div ? "div" : "jasc");
    input.window = WindowView{caption.text(), loaded.countText, conversionFor(caption)};
    input.palette.colours = table.entries();
    input.palette.kind = caption.text();
    if (loaded.kind == PaletteKind::Div) {
        input.palette.sixBit = true;
        if (head.size() >= DivRangeOffset + DivRangeBytes) {
            input.palette.ranges.emplace();
            std::copy_n(head.begin() + DivRangeOffset, DivRangeBytes, input.palette.ranges->begin());
        }
    }
    if (loaded.lineFeedInEntry)
        input.warning = std::string(LineFeedWarning);
    return std::nullopt;
}

// Where the last extension starts; a leading dot starts none.
std::size_t extensionAt(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name.size() : dot;
}

} // namespace

bool Input::divFamily() const
{
    return format != nullptr && format == formatNamed("div");
}

Problem InputReader::read(ByteSource& source, const Format* from, Input& input)
{
    // A DIV palette whole with its range block, and every signature, lie in
    // the first bytes: most inputs are read no further than their palette.
    // Only detection by size or by every line reads on, to the whole head and
    // one byte more, which tells whether the head is all of the input.
    head_.resize(HeadBytes + 1);
    std::size_t got = readFully(source, head_.data(), FirstBytes);
    // A source that cannot say why failed in reading, as far as anyone knows.
    const auto failure = [&source] {
        return cannotRead(frenchErrnoText(source.failure() != 0 ? source.failure() : EIO));
    };
    if (source.failed())
        return failure();

    input.windowKind = detectKind(std::string_view(head_.data(), got));
    const bool byWindow = from == nullptr && input.windowKind != PaletteKind::Unknown;
    if (from == nullptr && !byWindow) {
        from = detectSignature(Head{std::string_view(head_.data(), got), got < FirstBytes});
        if (from == nullptr) {
            if (got == FirstBytes)
                got += readFully(source, head_.data() + got, head_.size() - got);
            if (source.failed())
                return failure();
            from = detectFormat(Head{std::string_view(head_.data(), std::min(got, HeadBytes)), got <= HeadBytes});
        }
        if (from == nullptr)
            return std::nullopt;
    }
    const std::string_view taken(head_.data(), got);
    PrefixedSource whole(taken, source);
    if (byWindow)
        return readAsWindow(whole, taken, input);
    input.format = from;
    Problem problem = input.format->read(whole, input.palette);
    return source.failed() ? failure() : problem;
}

std::string kindText(const Input& input)
{
    if (input.window)
        return fileTextToUtf8(input.window->caption);
    if (input.format == nullptr)
        return std::string(UnknownKindMessage);
    std::string line = input.palette.kind + ", " + colourCount(input.palette.colours.size());
    if (input.windowKind == PaletteKind::Unknown)
        line.append(" (la fenêtre ne l'ouvre pas)");
    return line;
}

const Format* defaultFormat(const Input& input)
{
    return formatNamed(input.divFamily() ? "jasc" : "div");
}

bool windowConverts(const Input& input)
{
    return input.window && input.window->conversion != Conversion::None;
}

Problem convertInput(const Input& input, const Format* to, std::string_view name, Output& output)
{
    if (!input.recognised())
        return std::string(UnknownKindMessage);
    output.format = to != nullptr ? to : defaultFormat(input);
    if (input.window && to == nullptr) {
        const Conversion conversion = input.window->conversion;
        if (conversion == Conversion::None) {
            const std::string_view count = input.window->countText;
            const std::string shown = count.size() > MaxCountShown
                                          ? fileTextToUtf8(count.substr(0, MaxCountShown)) + "…"
                                          : fileTextToUtf8(count);
            std::string why =
                "palette JASC-PAL de « " + shown + " » couleurs : seules celles de 256 ou 16 couleurs se convertissent";
            // Said only when true: a count of none or of more than 256 is refused there too. After the
            // warning of LF line ends, it would carry the window's misreading: the warning says what to do.
            const Format* div = formatNamed("div");
            if (std::string written; !input.warning && !div->write(input.palette, WriteContext{}, written))
                why.append(" ; --to=div la convertit");
            return why;
        }
        output.content = convertPalette(input.palette.colours, conversion);
        return std::nullopt;
    }
    if (Problem refusal = targetNamed(output.format->name).refusal)
        return refusal;
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

} // namespace corvane::intake
