#pragma once

// What corvane-convert makes of one input, whatever it is read from: the
// window's rule first, then the formats' table; its --type text; its output
// by default or in a named format; and every refusal's French text. Plain
// C++, so that the page in the browser gives the same answers.

#include "conversion.h"
#include "format.h"
#include "palette_kind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::intake {

// The formats' vocabulary, which every input is read and written in.
using formats::Format;
using formats::Palette;
using formats::Problem;

// What the window makes of a file its own rule reads: the kind label it
// shows and what its Convert writes.
struct WindowView {
    std::string caption;   // as read from the file: a JASC-PAL count line is kept as written
    std::string countText; // JASC-PAL: the count line as written
    Conversion conversion = Conversion::None;
};

// One input: the palette read from it, and who read it.
struct Input {
    // The format it is read as: for a file the window's rule reads, the
    // table's DIV or JASC-PAL; none when no reader recognised it.
    const Format* format = nullptr;
    // As the formats' writers take it, whoever read it. From the window's
    // rule: a DIV palette's 256 colours as 6-bit levels, with its range block
    // when the file holds it whole; a JASC-PAL palette's entries.
    Palette palette;
    // Read by the window's rule, first in the detection order: what the
    // window would make of it. None when another reader read it.
    std::optional<WindowView> window;
    // What the window's rule takes the file for, even when --from had another
    // reader read it: --type says when the window would not open it.
    PaletteKind windowKind = PaletteKind::Unknown;
    // Read, but maybe not as meant: what to tell after "NAME: ", status unchanged.
    std::optional<std::string> warning;

    [[nodiscard]] bool recognised() const { return format != nullptr; }
    // A DIV palette of any kind (pal, fpg, fnt, map).
    [[nodiscard]] bool divFamily() const;
};

// Reads inputs one after another through one buffer for their first bytes.
class InputReader {
public:
    // The one detection order: the window's rule first, then the table's
    // formats; `from` names the reader and skips it.
    // Gives the reader's refusal, or cannotRead() with why the source failed.
    Problem read(ByteSource& source, const Format* from, Input& input);

private:
    std::vector<char> head_;
};

// What --type says of the input, after "NAME: ".
[[nodiscard]] std::string kindText(const Input& input);

// The format written when none is asked for: the other one of the window's
// two, JASC-PAL for a DIV palette of any kind, DIV for the rest.
[[nodiscard]] const Format* defaultFormat(const Input& input);

// The default output is the window's Convert's own bytes.
[[nodiscard]] bool windowConverts(const Input& input);

struct Output {
    std::string content;
    const Format* format = nullptr;
};

// The input's content in `to`, or by default in defaultFormat(): exactly as
// the window's Convert writes it for a file the window opens. `name` is the
// input's as given, for the writers that record it. Gives why not, after the
// file's name, when it cannot be converted.
Problem convertInput(const Input& input, const Format* to, std::string_view name, Output& output);

// The input's file name without its last extension; "palette" for standard input.
[[nodiscard]] std::string paletteName(std::string_view name);

// The output's file name with -d: the input's, with the format's usual
// extension in place of its last one, or kept whole when it already ends so.
[[nodiscard]] std::string outputFileName(std::string_view name, std::string_view extension);

} // namespace corvane::intake
