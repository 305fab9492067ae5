#pragma once

#include "byte_source.h"
#include "div_pal.h"
#include "jasc_pal.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace corvane {

enum class PaletteKind { Unknown, JascPal, Div };

// What both programs say of a file whose kind is unknown.
inline constexpr std::string_view UnknownKindMessage = "Type Inconnue";

// The first line decides the kind, and it can only match if it ends within
// this many bytes.
inline constexpr std::size_t KindHeadBytes = std::max(JascPalMagic.size(), DivMagic.size()) + 1;

// Kind from the first bytes of a file: at least KindHeadBytes of them, or the
// whole file if it is shorter.
[[nodiscard]] PaletteKind detectKind(std::string_view head);
[[nodiscard]] PaletteKind detectKind(ByteSource& source);

} // namespace corvane
