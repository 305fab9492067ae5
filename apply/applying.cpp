#include "applying.h"

#include "apply_texts.h"
#include "input.h"
#include "levels.h"
#include "messages.h"
#include "palette_kind.h"
#include "system_errors.h"
#include "target.h"

#include <cerrno>

namespace corvane::apply {

using formats::Format;

namespace {

Problem readFailure(const ByteSource& source)
{
    return intake::cannotRead(intake::frenchErrnoText(source.failure() != 0 ? source.failure() : EIO));
}

// The input's format by the detection order of intake::InputReader: the
// window's two palette formats first, then the signatures, then the rules
// that need the whole head. `head` holds the bytes read to decide.
Problem findFormat(ByteSource& in, std::string& head, const Format*& format)
{
    // Most inputs are known by their first bytes; a whole head is read only for the others.
    head.resize(formats::FirstBytes);
    std::size_t got = readFully(in, head.data(), formats::FirstBytes);
    if (in.failed())
        return readFailure(in);
    // A DIV palette or a JASC-PAL text, as the window opens them: a palette only.
    if (detectKind(std::string_view(head.data(), got)) != PaletteKind::Unknown) {
        head.resize(got);
        return std::string(NoImage);
    }
    format = formats::detectSignature({std::string_view(head.data(), got), got < formats::FirstBytes});
    if (format == nullptr) {
        if (got == formats::FirstBytes) {
            head.resize(formats::HeadBytes + 1);
            got += readFully(in, head.data() + got, head.size() - got);
        }
        if (in.failed())
            return readFailure(in);
        format = formats::detectFormat(
            {std::string_view(head.data(), std::min(got, formats::HeadBytes)), got <= formats::HeadBytes});
    }
    head.resize(got);
    return format == nullptr ? Problem(std::string(UnknownKindMessage)) : std::nullopt;
}

} // namespace

std::string tooManyColours(std::size_t count)
{
    return "la palette a " + std::to_string(count) + " couleurs : au plus " + std::to_string(MostColours) +
           " se mettent dans un fichier";
}

std::string fewerColours(std::size_t paletteColours, std::size_t tableColours)
{
    return "attention : palette de " + formats::colourCount(paletteColours) + " pour une table de " +
           std::to_string(tableColours) + " : la fin de la table devient noire";
}

std::string pixelsCut(std::string_view what, std::uint64_t code)
{
    return std::string(what) + " " + std::to_string(code) + " coupé : le fichier s'arrête avant la fin de ses pixels";
}

std::string pixelsMisplaced(std::string_view what, std::uint64_t code)
{
    return std::string(what) + " " + std::to_string(code) + " abîmé : ses pixels ne sont pas où il les annonce";
}

std::string crcFailed(std::string_view chunk)
{
    return "bloc « " + formats::shownText(chunk) + " » : CRC faux";
}

Problem Preview::resize(std::uint64_t columns, std::uint64_t rows)
{
    if (columns == 0 || rows == 0 || rows > mostPixels / columns)
        return std::string(columns == 0 || rows == 0 ? EmptyImage : PreviewTooLarge);
    width = static_cast<std::uint32_t>(columns);
    height = static_cast<std::uint32_t>(rows);
    rgba.assign(4 * columns * rows, '\0');
    return std::nullopt;
}

Problem readPalette(ByteSource& source, Palette& palette)
{
    intake::InputReader reader;
    intake::Input input;
    if (Problem problem = reader.read(source, nullptr, input))
        return problem;
    if (!input.recognised())
        return std::string(UnknownKindMessage);
    if (input.palette.colours.size() > MostColours)
        return tooManyColours(input.palette.colours.size());
    if (Problem problem = formats::checkEightBit(input.palette, MostColours))
        return problem;
    palette = std::move(input.palette);
    return std::nullopt;
}

namespace {

// The recolouring of the input's format, the one `from` names or the one its
// first bytes show (kept in `head`); refused for a file of no image.
Problem recolourerOf(ByteSource& in, const Format* from, std::string& head, const Recolourer*& recolourer)
{
    const Format* format = from;
    if (format == nullptr) {
        if (Problem problem = findFormat(in, head, format))
            return problem;
    }
    recolourer = recolourerFor(format->name);
    if (recolourer == nullptr)
        return format->writes() ? std::string(NoImage) : intake::targetNamed(format->name).refusal;
    return std::nullopt;
}

} // namespace

Problem applyPalette(ByteSource& in, const Format* from, const Palette& palette, Mode mode, ByteSink& out,
                     std::vector<std::string>& warnings)
{
    std::string head;
    const Recolourer* recolourer = nullptr;
    if (Problem problem = recolourerOf(in, from, head, recolourer))
        return problem;
    PrefixedSource whole(head, in);
    Outcome outcome;
    Problem problem = recolourer->apply(whole, palette, mode, out, outcome);
    if (in.failed())
        return readFailure(in);
    if (problem)
        return problem;
    if (mode == Mode::KeepIndices && palette.colours.size() < outcome.tableColours)
        warnings.push_back(fewerColours(palette.colours.size(), outcome.tableColours));
    if (mode == Mode::Remap && outcome.partialAlphaLost)
        warnings.push_back(std::string(PartialAlphaLost));
    return std::nullopt;
}

Problem previewImage(ByteSource& in, const Format* from, Preview& image)
{
    std::string head;
    const Recolourer* recolourer = nullptr;
    if (Problem problem = recolourerOf(in, from, head, recolourer))
        return problem;
    PrefixedSource whole(head, in);
    Problem problem = recolourer->preview(whole, image);
    return in.failed() ? readFailure(in) : problem;
}

} // namespace corvane::apply
