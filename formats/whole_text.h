#pragma once

// A text format read whole before it is parsed (JSON, Godot's resources),
// within a bound: a larger input is refused without reading further.

#include "byte_source.h"
#include "format.h"

#include <cstddef>
#include <string>

namespace corvane::formats {

inline constexpr std::size_t MaxTextBytes = 16 * 1024 * 1024;

// The whole input into `text`; refused past MaxTextBytes.
[[nodiscard]] Problem readWholeText(ByteSource& source, std::string& text);

} // namespace corvane::formats
