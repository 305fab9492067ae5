#pragma once

// The picture the image writers draw of a palette: one square per colour.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::formats {

struct Grid {
    static constexpr std::uint32_t Cell = 16;   // pixels a side of each colour's square
    static constexpr std::uint32_t PerRow = 16; // squares to a row

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // One colour index a pixel, row by row from the top; width is a multiple of 16.
    std::vector<std::uint8_t> pixels;

    [[nodiscard]] const std::uint8_t* row(std::uint32_t y) const { return pixels.data() + std::size_t{y} * width; }
};

// Squares PerRow to a row; cells past the last colour take index 0. At most
// 256 colours: 256 by 256 pixels.
[[nodiscard]] Grid colourGrid(std::size_t count);

} // namespace corvane::formats
