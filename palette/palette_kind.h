#pragma once

#include "byte_source.h"

#include <cstddef>
#include <string_view>

namespace corvane {

enum class PaletteKind { Unknown, JascPal, Div };

inline constexpr std::string_view JascPalMagic = "JASC-PAL";
inline constexpr std::string_view DivMagic = "pal";
// The first line decides the kind, and it can only match if it ends within
// this many bytes.
inline constexpr std::size_t KindHeadBytes = JascPalMagic.size() + 1;

// Kind from the first bytes of a file: at least KindHeadBytes of them, or the
// whole file if it is shorter.
[[nodiscard]] PaletteKind detectKind(std::string_view head);
[[nodiscard]] PaletteKind detectKind(ByteSource& source);

} // namespace corvane
