#pragma once

// Every French text of putting a palette into files, after the file's name:
// one place for the command line, the page and each format's recolouring.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::apply {

// The most colours a palette put into a file may have: an index is a byte.
inline constexpr std::size_t MostColours = 256;

// An input that holds only a palette (pal, gpl, hex...): --to is for those.
inline constexpr std::string_view NoImage = "ce fichier n'a pas d'image ; --to convertit une palette";
// An image whose pixels are colours, not indices: there are none to keep.
inline constexpr std::string_view NoIndices = "image sans palette : --remap la recolore";
// Remap: what the output cannot keep of partial alpha.
inline constexpr std::string_view PartialAlphaLost =
    "attention : l'alpha partiel est perdu, ces couleurs deviennent opaques";

// A DIV file of no graphic, or a font of no character drawn: nothing to show.
inline constexpr std::string_view NoGraphic = "pas d'aperçu : le fichier n'a aucun graphique";
// An image of no pixel at all.
inline constexpr std::string_view EmptyImage = "pas d'aperçu : image vide";
inline constexpr std::string_view PreviewTooLarge = "image trop grande pour un aperçu (plus de 16 millions de pixels)";

// A sink that failed to write: its owner says why.
inline constexpr std::string_view WriteFailed = "écriture impossible";

// DIV's files.
inline constexpr std::string_view NotDivFile = "ce n'est pas un fichier DIV (fpg, fnt ou map)";
inline constexpr std::string_view LevelsCut = "le fichier s'arrête avant les 768 niveaux de sa palette";
inline constexpr std::string_view RangesCut = "le fichier s'arrête avant la fin de ses plages de couleurs";
inline constexpr std::string_view FontTableCut = "le fichier s'arrête avant la fin de sa table de caractères";
inline constexpr std::string_view GzipBroken = "flux gzip coupé ou abîmé";

// PNG images.
inline constexpr std::string_view NotPng = "ce n'est pas une image PNG";
inline constexpr std::string_view PngCut = "image PNG coupée avant sa fin";
inline constexpr std::string_view PngDamaged = "image PNG abîmée";
inline constexpr std::string_view PngTooWide = "image PNG de plus d'un million de pixels de large";
// A chunk whose bytes are not those its CRC was computed from.
[[nodiscard]] std::string crcFailed(std::string_view chunk);

// The palette file itself.
[[nodiscard]] std::string tooManyColours(std::size_t count);
// Keep mode: the table's entries past the palette's last colour become black.
[[nodiscard]] std::string fewerColours(std::size_t paletteColours, std::size_t tableColours);
// A DIV file's graphic or font character whose pixels the file does not hold
// whole ("graphique 3", "caractère 65").
[[nodiscard]] std::string pixelsCut(std::string_view what, std::uint64_t code);
// One whose pixels are not where a graphic's pixels can be.
[[nodiscard]] std::string pixelsMisplaced(std::string_view what, std::uint64_t code);

} // namespace corvane::apply
