#pragma once

#include "files.h"

#include "format.h"
#include "kind_caption.h"
#include "load.h"
#include "palette_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

// One input, read as the window reads it or by a reader of the formats' table.
struct Input {
    FileId id;
    // The window's rule knows the file, whether or not it read it.
    bool windowOpens = false;
    // Read by the window's own reader: its table, caption and result.
    bool byWindow = false;
    PaletteTable table;
    KindCaption caption;
    LoadResult result;
    // Otherwise the format that read it; none when no reader recognised it.
    const formats::Format* format = nullptr;
    // As the formats' writers take it, whoever read it. From the window's
    // table: a DIV palette's 256 colours as 6-bit levels, with its range block
    // when the file holds it whole; a JASC-PAL palette's entries.
    formats::Palette palette;

    [[nodiscard]] bool recognised() const { return byWindow || format != nullptr; }
    // A DIV palette of any kind (pal, fpg, fnt, map).
    [[nodiscard]] bool divFamily() const;
};

// Reads inputs one after another through one buffer for their first bytes.
class InputReader {
public:
    // The window's rule first; for a file it does not know, the first format
    // whose detection takes it. `from` names the reader and skips both.
    // Fails if the file cannot be read, or the reader refuses it.
    Failure read(const std::string& name, const formats::Format* from, Input& input);

private:
    std::vector<char> head_;
};

// The input's file name without its last extension; "palette" for standard input.
[[nodiscard]] std::string paletteName(std::string_view name);

// The output's file name with -d: the input's, with the format's usual
// extension in place of its last one, or kept whole when it already ends so.
[[nodiscard]] std::string outputFileName(std::string_view name, std::string_view extension);

} // namespace corvane::cli
