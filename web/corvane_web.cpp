// The page's WebAssembly entry: what corvane-convert makes of one file, for
// the worker that runs it. The file stays in JavaScript and is read in
// slices, as far as the core asks, so that its size does not matter.

#include "format.h"
#include "input.h"

#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
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
// clang-format on

// The worker's file through readSlice, a slice at a time: large enough that
// each call's cost is small beside its bytes', small beside the memory bound.
class SliceSource final : public corvane::ByteSource {
public:
    static constexpr std::size_t SliceBytes = std::size_t{1} << 22;

    std::size_t read(char* buf, std::size_t n) override
    {
        if (error_ != 0)
            return 0;
        if (next_ == end_) {
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

private:
    std::vector<char> slice_ = std::vector<char>(SliceBytes);
    std::size_t next_ = 0, end_ = 0;
    double offset_ = 0;
    int error_ = 0;
};

corvane::formats::InputReader reader;
corvane::formats::Input input;
// Why the open file cannot be read, given again for each conversion asked.
corvane::formats::Problem refusal;
std::string answer;
std::string outputName;
std::array<std::uint8_t, 256 * 3> strip;

const char* give(std::string text)
{
    answer = std::move(text);
    return answer.c_str();
}

} // namespace

extern "C" {

// Reads the worker's file; gives the refusal, or "" when it was read (known or not).
EMSCRIPTEN_KEEPALIVE const char* corvane_open()
{
    input = corvane::formats::Input{};
    SliceSource source;
    corvane::formats::Problem problem = reader.read(source, nullptr, input);
    if (problem)
        input = corvane::formats::Input{};
    refusal = problem;
    return give(problem.value_or(""));
}

// What corvane-convert --type says of the file, after its name.
EMSCRIPTEN_KEEPALIVE const char* corvane_kind()
{
    return give(corvane::formats::kindText(input));
}

// How many colours the strip has, none for an unknown file; corvane_strip()
// holds them as red, green, blue bytes, clamped as the window draws them.
EMSCRIPTEN_KEEPALIVE int corvane_strip_count()
{
    if (!input.recognised())
        return 0;
    const auto& colours = input.palette.colours;
    const std::size_t n = std::min<std::size_t>(colours.size(), 256);
    for (std::size_t k = 0; k < n * 3; ++k)
        strip[k] = static_cast<std::uint8_t>(std::clamp<int>(colours[k / 3][k % 3], 0, 255));
    return static_cast<int>(n);
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* corvane_strip()
{
    return strip.data();
}

// The formats' table, a line each: name, title and extension, tab-separated.
EMSCRIPTEN_KEEPALIVE const char* corvane_formats()
{
    std::string lines;
    for (const corvane::formats::Format& format : corvane::formats::allFormats())
        lines.append(format.name).append("\t").append(format.title).append("\t").append(format.extension).append("\n");
    return give(std::move(lines));
}

// The label of the default output, named after the format it gives.
EMSCRIPTEN_KEEPALIVE const char* corvane_default_label()
{
    return give(std::string(corvane::formats::defaultFormat(input)->title) +
                (corvane::formats::windowConverts(input) ? " (comme la fenêtre)" : " (par défaut)"));
}

// Converts the file named `name` into the format named `to` ("" for the
// default). Gives the refusal, or "" with the bytes in corvane_output() and
// their -d file name in corvane_output_name().
EMSCRIPTEN_KEEPALIVE const char* corvane_convert(const char* to, const char* name)
{
    if (refusal)
        return give(*refusal);
    corvane::formats::Output output;
    const corvane::formats::Format* format = *to != '\0' ? corvane::formats::formatNamed(to) : nullptr;
    if (corvane::formats::Problem problem = corvane::formats::convertInput(input, format, name, output))
        return give(std::move(*problem));
    outputName = corvane::formats::outputFileName(name, output.format->extension);
    answer = std::move(output.content);
    return "";
}

EMSCRIPTEN_KEEPALIVE const char* corvane_output()
{
    return answer.data();
}

EMSCRIPTEN_KEEPALIVE int corvane_output_size()
{
    return static_cast<int>(answer.size());
}

EMSCRIPTEN_KEEPALIVE const char* corvane_output_name()
{
    return outputName.c_str();
}
}
