#include "input.h"

#include "messages.h"

#include "div_pal.h"
#include "palette_kind.h"

#include <algorithm>
#include <cctype>

namespace corvane::cli {
namespace {

formats::Palette windowPalette(const Input& input, std::string_view head)
{
    formats::Palette palette;
    palette.colours = input.table.entries();
    palette.kind = input.caption.text();
    if (input.result.kind == PaletteKind::Div) {
        palette.sixBit = true;
        constexpr std::size_t RangesAt = DivLevelOffset + DivLevelBytes;
        if (head.size() >= RangesAt + formats::DivRangeBytes) {
            palette.ranges.emplace();
            std::copy_n(head.begin() + RangesAt, formats::DivRangeBytes, palette.ranges->begin());
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

} // namespace

bool Input::divFamily() const
{
    if (byWindow)
        return result.kind == PaletteKind::Div;
    return format != nullptr && format == formats::formatNamed("div");
}

Failure InputReader::read(const std::string& name, const formats::Format* from, Input& input)
{
    OpenedInput file;
    if (Failure failure = file.open(name))
        return failure;
    input.id = file.id();
    FdSource source(file.fd());
    // One byte more than the head tells whether the head is all of the input.
    head_.resize(formats::HeadBytes + 1);
    const std::size_t got = readFully(source, head_.data(), head_.size());
    if (source.failed())
        return cannotRead(frenchErrnoText(source.error()));
    const std::string_view taken(head_.data(), got);
    PrefixedSource whole(taken, source);

    input.windowOpens = detectKind(taken) != PaletteKind::Unknown;
    if (from == nullptr && input.windowOpens) {
        input.byWindow = true;
        input.result = loadPalette(whole, input.table, input.caption);
        if (input.result.readFailed)
            return cannotRead(frenchErrnoText(source.error()));
        input.palette = windowPalette(input, taken);
        return std::nullopt;
    }
    input.format =
        from != nullptr
            ? from
            : formats::detectFormat(formats::Head{taken.substr(0, formats::HeadBytes), got <= formats::HeadBytes});
    if (input.format == nullptr)
        return std::nullopt;
    formats::Problem problem = input.format->read(whole, input.palette);
    if (source.failed())
        return cannotRead(frenchErrnoText(source.error()));
    return problem;
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

} // namespace corvane::cli
