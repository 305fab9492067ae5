#pragma once

// ZSoft PCX's layout, shared by the palette's reader and writer and by the
// recolouring of the image's pixels.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::formats::pcx {

inline constexpr std::uint8_t Manufacturer = 0x0A;
inline constexpr std::uint8_t LastVersion = 5;
inline constexpr std::uint8_t RunLength = 1;
inline constexpr std::size_t HeaderBytes = 128;
inline constexpr std::size_t HeaderPaletteAt = 16;
inline constexpr std::size_t HeaderColours = 16;
inline constexpr std::size_t PlanesAt = 65;
inline constexpr std::size_t BytesALineAt = 66;
inline constexpr std::uint8_t PaletteMark = 0x0C;
inline constexpr std::size_t TailBytes = 1 + 768; // the mark, then 256 colours
inline constexpr std::size_t MostRun = 63;
inline constexpr std::uint8_t RunFlag = 0xC0; // a byte this high or higher starts a run

inline const std::string Unreadable = "image PCX illisible";
inline const std::string CutInHeader = "image PCX coupée dans son en-tête";
inline const std::string NoEndPalette =
    "image PCX de 256 couleurs sans sa palette : pas d'octet 0x0C avant les 768 derniers";

// A header of 1, 2, 4 or 8 bits in one to four planes, run-length coded:
// what any PCX reader takes.
bool headerFits(const std::uint8_t* header);
// Whether an 8-bit, one-plane version 5 image keeps 256 colours after its pixels.
bool hasEndPalette(const std::uint8_t* header);
// One row, run-length coded on its own.
void appendRow(std::string& out, const std::uint8_t* row, std::size_t width);

} // namespace corvane::formats::pcx
