#pragma once

#include "byte_source.h"
#include "kind_caption.h"
#include "palette_kind.h"
#include "palette_table.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace corvane {

struct LoadResult {
    PaletteKind kind = PaletteKind::Unknown;
    std::string countText; // JASC-PAL: the count line as written
    // How many entries the file says it has: 256 for DIV; for JASC-PAL the
    // count line's number, from the whole line, when it is one.
    std::optional<std::int16_t> count;
    // Why a read failed before the readers had what they needed, or why the
    // file could not be opened, as an errno value; 0 when nothing failed.
    // What was read up to there is loaded as if the file ended there, as the
    // window shows it; the command line refuses the file with this reason.
    int failure = 0;
    // JASC-PAL: an entry line holds an LF (see JascCount).
    bool lineFeedInEntry = false;
};

// Decides the kind from the first line and, for a DIV or JASC-PAL palette,
// reads it into the table and sets the caption. An unknown kind changes
// nothing.
LoadResult loadPalette(ByteSource& source, PaletteTable& table, KindCaption& caption);
// Opens the file once for both; a file that cannot be opened is unknown.
LoadResult loadPaletteFile(const std::filesystem::path& path, PaletteTable& table, KindCaption& caption);

} // namespace corvane
