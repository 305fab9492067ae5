#pragma once

// Levels written as fractions between 0 and 1, as Godot's and Krita's
// palettes hold them, to and from the 8-bit levels Corvane keeps.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::formats {

// The 8-bit level of a fraction written in decimal ("0.5", "1", "2e-1"):
// ⌊x × 255 + 0.5⌋. Nothing when the text is no number or lies outside 0..1.
[[nodiscard]] std::optional<int> unitLevel(std::string_view text);

// The shortest decimal fraction that unitLevel reads back as `level`
// (0..255): "0", "0.5", "0.498", "1".
[[nodiscard]] std::string shortestLevel(int level);

} // namespace corvane::formats
