#pragma once

// Every French text the formats library composes from parts: counts, and
// escaped file text and names.

#include "format.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::formats {

// A palette of more colours than MaxColours is refused by every reader.
inline const std::string TooManyColours = "plus de " + std::to_string(MaxColours) + " couleurs : trop pour Corvane";
// A palette of none is refused by every reader and writer.
inline constexpr std::string_view NoColour = "la palette n'a aucune couleur";

// "N couleurs", "1 couleur".
[[nodiscard]] std::string colourCount(std::size_t n);

// Text read from a palette file, decoded as the kind label decodes it
// (Windows-1252), as UTF-8. Control characters come out as \xHH with the
// file's byte, and a backslash as \\, so that a line printed from it stays
// one line and says unambiguously what the file holds.
[[nodiscard]] std::string fileTextToUtf8(std::string_view bytes);

// A name given on the command line, with its control bytes and backslashes
// escaped the same way; other bytes are printed as they are.
[[nodiscard]] std::string printableName(std::string_view name);

// The bytes of a text as they can be shown in a message: control bytes,
// backslashes and bytes that are not UTF-8 escaped the same way, at most
// `most` bytes, then "…".
[[nodiscard]] std::string shownText(std::string_view bytes, std::size_t most = 40);

// The length of the UTF-8 sequence at the start of `bytes` (not empty); 0 if it is not one.
[[nodiscard]] std::size_t utf8Length(std::string_view bytes);

// "\xHH": a byte shown in a message as its value.
void appendByteEscape(std::string& out, unsigned char byte);

} // namespace corvane::formats
