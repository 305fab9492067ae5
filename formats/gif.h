#pragma once

// GIF's blocks, shared by the palette's reader and by the recolouring of the
// frames.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::formats::gif {

inline constexpr std::string_view Gif87 = "GIF87a";
inline constexpr std::string_view Gif89 = "GIF89a";
inline constexpr std::size_t ScreenBytes = 13; // signature, then the logical screen descriptor
inline constexpr std::size_t ImageBytes = 9;   // an image descriptor after its 0x2C
inline constexpr std::uint8_t HasTable = 0x80;
inline constexpr std::uint8_t ExtensionIntroducer = 0x21;
inline constexpr std::uint8_t ImageIntroducer = 0x2C;
inline constexpr std::uint8_t Trailer = 0x3B;

inline const std::string Unreadable = "image GIF illisible";
inline const std::string NoTable = "image GIF sans table de couleurs";
inline const std::string CutInTable = "image GIF coupée dans sa table de couleurs";

inline bool isGif(std::string_view bytes)
{
    return bytes.starts_with(Gif87) || bytes.starts_with(Gif89);
}

} // namespace corvane::formats::gif
