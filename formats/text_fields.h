#pragma once

// The fields of a text palette's lines: taken apart when read, and a name
// made one line when written.

#include "palette_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::formats {

// The next field of `text`: blanks (space, tab) before it dropped, the field
// taken off; empty when only blanks are left.
[[nodiscard]] std::string_view takeField(std::string_view& text);

// A field of decimal digits only, read as a number no greater than `most`.
[[nodiscard]] std::optional<std::size_t> decimal(std::string_view field, std::size_t most);

// Red, green and blue as three fields of decimal digits from 0 to 255, taken
// off `text`; false if they are not there.
[[nodiscard]] bool takeLevels(std::string_view& text, PaletteTable::Entry& colour);

// A name to write on a line of its own: control bytes become '_'.
[[nodiscard]] std::string nameOnOneLine(std::string_view name);

} // namespace corvane::formats
