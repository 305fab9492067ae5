// The page's WebAssembly entry: what corvane-convert makes of each file the
// page holds, for the worker that runs it. Each file stays in JavaScript and
// is read in slices, as far as the core asks, so that its size does not matter.

#include "applying.h"
#include "archive.h"
#include "format.h"
#include "input.h"
#include "messages.h"
#include "target.h"

#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Copies up to n bytes of the worker's file from `offset` into buf; gives how
// many, or -1 when the file is gone and -2 when it cannot be read. Read as a
// string: the engine collects strings as it goes, while an ArrayBuffer from
// FileReaderSync is kept until the worker is idle, and a long file would
// leave hundreds of megabytes of them.
// clang-format off
EM_JS(int, readSlice, (double offset, char* buf, int n), {
    const file = Module["file"];
    const end = Math.min(offset + n, file.size);
    if (offset >= end)
        return 0;
    try {
        const bytes = new FileReaderSync().readAsBinaryString(file.slice(offset, end));
        // Text is mostly ASCII, which the encoder copies as it is, at speed.
        const heap = HEAPU8.subarray(buf, buf + bytes.length);
        const copied = new TextEncoder().encodeInto(bytes, heap);
        if (copied.read !== bytes.length || copied.written !== bytes.length)
            for (let k = 0; k < bytes.length; ++k)
                heap[k] = bytes.charCodeAt(k);
        return bytes.length;
    } catch (e) {
        return e.name === "NotFoundError" ? -1 : -2;
    }
});

// The worker's file's size in bytes.
EM_JS(double, fileSize, (), { return Module["file"].size; });
// clang-format on

// The worker's file through readSlice, a slice at a time. The first slice is
// enough for a DIV palette's head, and the next ones double, so that a long
// file costs few calls while a hundred short ones leave little to collect.
class SliceSource final : public corvane::ByteSource {
public:
    static constexpr std::size_t FirstSlice = 4096;
    static constexpr std::size_t LargestSlice = std::size_t{1} << 22;

    std::size_t read(char* buf, std::size_t n) override
    {
        if (error_ != 0)
            return 0;
        if (next_ == end_) {
            slice_.resize(slice_.empty() ? FirstSlice : std::min(2 * slice_.size(), LargestSlice));
            const int got = readSlice(offset_, slice_.data(), static_cast<int>(slice_.size()));
            if (got < 0)
                error_ = got;
            if (got <= 0)
                return 0;
            offset_ += got;
            next_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        const std::size_t taken = std::min(n, end_ - next_);
        std::copy_n(slice_.data() + next_, taken, buf);
        next_ += taken;
        return taken;
    }
    [[nodiscard]] int failure() const override { return error_ == -1 ? ENOENT : error_ != 0 ? EIO : 0; }
    // A File is read at any offset: the bytes after those read or skipped.
    [[nodiscard]] std::optional<std::uint64_t> remaining() const override
    {
        if (error_ != 0)
            return std::nullopt;
        const double at = offset_ - static_cast<double>(end_ - next_);
        const double size = fileSize();
        return size > at ? static_cast<std::uint64_t>(size - at) : 0;
    }
    std::uint64_t skipAhead(std::uint64_t n) override
    {
        if (error_ != 0)
            return 0;
        const std::uint64_t inSlice = std::min<std::uint64_t>(n, end_ - next_);
        next_ += static_cast<std::size_t>(inSlice);
        offset_ += static_cast<double>(n - inSlice);
        return n;
    }

private:
    std::vector<char> slice_;
    std::size_t next_ = 0, end_ = 0;
    double offset_ = 0;
    int error_ = 0;
};

// The colours a row shows: no more than a grid of 16 by 16.
constexpr std::size_t ShownColours = 256;

// One file the page holds, as read when it was added.
struct Opened {
    corvane::intake::Input input;
    // Why it cannot be read, given again for each conversion asked.
    corvane::formats::Problem refusal;
    // Its first colours as red, green, blue bytes, clamped as the window draws them.
    std::vector<std::uint8_t> levels;
};

corvane::intake::InputReader reader;
std::map<int, Opened> files;
const Opened none;
// What the last call gives as text, apart from the output's bytes.
std::string answer;
std::string output;
std::string outputName;
std::unique_ptr<corvane::web::Archive> archive;
// The palette put into the files, once one is chosen.
std::optional<corvane::formats::Palette> applied;
std::string warnings;
corvane::apply::Preview preview;

const char* give(std::string text)
{
    answer = std::move(text);
    return answer.c_str();
}

const Opened& opened(int id)
{
    const auto found = files.find(id);
    return found != files.end() ? found->second : none;
}

} // namespace

extern "C" {

// Reads the worker's file as the page's file `id`; gives the refusal, or ""
// when it was read (known or not).
EMSCRIPTEN_KEEPALIVE const char* corvane_open(int id)
{
    Opened& file = files[id] = Opened{};
    SliceSource source;
    corvane::formats::Problem problem = reader.read(source, nullptr, file.input);
    if (problem)
        file.input = corvane::intake::Input{};
    file.refusal = problem;
    if (file.input.recognised()) {
        const auto& colours = file.input.palette.colours;
        file.levels.resize(std::min(colours.size(), ShownColours) * 3);
        for (std::size_t k = 0; k < file.levels.size(); ++k)
            file.levels[k] = static_cast<std::uint8_t>(std::clamp<int>(colours[k / 3][k % 3], 0, 255));
    }
    return give(problem.value_or(""));
}

EMSCRIPTEN_KEEPALIVE void corvane_close(int id)
{
    files.erase(id);
}

// What corvane-convert --type says of the file, after its name.
EMSCRIPTEN_KEEPALIVE const char* corvane_kind(int id)
{
    return give(corvane::intake::kindText(opened(id).input));
}

// What the readers warn of, or "".
EMSCRIPTEN_KEEPALIVE const char* corvane_warning(int id)
{
    return give(opened(id).input.warning.value_or(""));
}

// How many colours the file has, none for an unknown one; corvane_levels()
// holds the first ShownColours of them.
EMSCRIPTEN_KEEPALIVE int corvane_colour_count(int id)
{
    const corvane::intake::Input& input = opened(id).input;
    return input.recognised() ? static_cast<int>(input.palette.colours.size()) : 0;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* corvane_levels(int id)
{
    return opened(id).levels.data();
}

EMSCRIPTEN_KEEPALIVE int corvane_levels_size(int id)
{
    return static_cast<int>(opened(id).levels.size());
}

// The formats that write, a line each: name, title and extension, tab-separated.
EMSCRIPTEN_KEEPALIVE const char* corvane_formats()
{
    std::string lines;
    for (const corvane::formats::Format& format : corvane::formats::allFormats())
        if (format.writes())
            lines.append(format.name)
                .append("\t")
                .append(format.title)
                .append("\t")
                .append(format.extension)
                .append("\n");
    return give(std::move(lines));
}

// The label of the file's default output, named after the format it gives;
// with no such file, that of an unknown one.
EMSCRIPTEN_KEEPALIVE const char* corvane_default_label(int id)
{
    const corvane::intake::Input& input = opened(id).input;
    return give(std::string(corvane::intake::defaultFormat(input)->title) +
                (corvane::intake::windowConverts(input) ? " (comme la fenêtre)" : " (par défaut)"));
}

// Converts the file `id`, named `name`, into the format named `to` ("" for
// the default). Gives the refusal, or "" with the bytes in corvane_output()
// and their -d file name in corvane_output_name().
EMSCRIPTEN_KEEPALIVE const char* corvane_convert(int id, const char* to, const char* name)
{
    output.clear();
    outputName.clear();
    const Opened& file = opened(id);
    if (file.refusal)
        return give(*file.refusal);
    const corvane::formats::Format* format = nullptr;
    if (*to != '\0') {
        const corvane::intake::Target target = corvane::intake::targetNamed(to);
        if (target.refusal)
            return give(*target.refusal);
        format = target.named;
    }
    corvane::intake::Output converted;
    if (corvane::formats::Problem problem = corvane::intake::convertInput(file.input, format, name, converted))
        return give(std::move(*problem));
    output = std::move(converted.content);
    outputName = corvane::intake::outputFileName(name, converted.format->extension);
    return give("");
}

EMSCRIPTEN_KEEPALIVE const char* corvane_output()
{
    return output.data();
}

EMSCRIPTEN_KEEPALIVE int corvane_output_size()
{
    return static_cast<int>(output.size());
}

EMSCRIPTEN_KEEPALIVE const char* corvane_output_name()
{
    return outputName.c_str();
}

// An archive of the next outputs, each added by corvane_zip_add().
EMSCRIPTEN_KEEPALIVE void corvane_zip_start()
{
    archive = std::make_unique<corvane::web::Archive>();
}

// Adds the last output, under its -d file name; gives why not, or "".
EMSCRIPTEN_KEEPALIVE const char* corvane_zip_add()
{
    if (!corvane::web::Archive::fits(outputName, output))
        return give("nom ou contenu trop long pour une archive zip");
    return give(archive->add(outputName, output) ? "" : "l'archive n'a pas pu être écrite");
}

// Gives why the archive failed, or "" with it in corvane_output().
EMSCRIPTEN_KEEPALIVE const char* corvane_zip_finish()
{
    output = archive->finish();
    archive.reset();
    return give(output.empty() ? "l'archive n'a pas pu être écrite" : "");
}

// Reads the worker's file as the palette to put into files; gives the
// refusal, or "" when it is read.
EMSCRIPTEN_KEEPALIVE const char* corvane_palette()
{
    SliceSource source;
    corvane::formats::Palette palette;
    if (corvane::formats::Problem problem = corvane::apply::readPalette(source, palette))
        return give(std::move(*problem));
    applied = std::move(palette);
    return give("");
}

EMSCRIPTEN_KEEPALIVE void corvane_forget_palette()
{
    applied.reset();
}

// Puts the palette into the worker's file, named `name`, as corvane-convert
// --palette [--remap] does; gives the refusal, or "" with the bytes in
// corvane_output(), under the input's own name, and what the user is warned
// of in corvane_warnings().
EMSCRIPTEN_KEEPALIVE const char* corvane_apply(int remap, const char* name)
{
    output.clear();
    outputName.clear();
    warnings.clear();
    if (!applied)
        return give("aucune palette choisie");
    SliceSource source;
    corvane::apply::StringSink sink;
    std::vector<std::string> told;
    if (corvane::formats::Problem problem = corvane::apply::applyPalette(
            source, nullptr, *applied, remap != 0 ? corvane::apply::Mode::Remap : corvane::apply::Mode::KeepIndices,
            sink, told))
        return give(std::move(*problem));
    for (const std::string& line : told)
        warnings.append(warnings.empty() ? "" : "\n").append(line);
    output = std::move(sink.content);
    outputName = name;
    return give("");
}

EMSCRIPTEN_KEEPALIVE const char* corvane_warnings()
{
    return warnings.c_str();
}

// The first image of the worker's file, or with `after` of what
// corvane_apply() made of it last; gives the refusal, or "" with the
// pixels in corvane_preview_pixels().
EMSCRIPTEN_KEEPALIVE const char* corvane_preview(int after)
{
    preview = {};
    corvane::formats::Problem problem;
    if (after != 0) {
        corvane::MemorySource source(output);
        problem = corvane::apply::previewImage(source, nullptr, preview);
    } else {
        SliceSource source;
        problem = corvane::apply::previewImage(source, nullptr, preview);
    }
    if (problem)
        preview = {};
    return give(problem.value_or(""));
}

EMSCRIPTEN_KEEPALIVE const char* corvane_preview_pixels()
{
    return preview.rgba.data();
}

EMSCRIPTEN_KEEPALIVE int corvane_preview_width()
{
    return static_cast<int>(preview.width);
}

EMSCRIPTEN_KEEPALIVE int corvane_preview_height()
{
    return static_cast<int>(preview.height);
}
}
