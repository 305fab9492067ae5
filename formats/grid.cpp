#include "grid.h"

#include <algorithm>

namespace corvane::formats {

Grid colourGrid(std::size_t count)
{
    Grid grid;
    const auto columns = static_cast<std::uint32_t>(std::min<std::size_t>(count, Grid::PerRow));
    const auto rowsOfSquares = static_cast<std::uint32_t>((count + Grid::PerRow - 1) / Grid::PerRow);
    grid.width = columns * Grid::Cell;
    grid.height = rowsOfSquares * Grid::Cell;
    grid.pixels.resize(std::size_t{grid.width} * grid.height);
    // Each row of squares is one row of pixels drawn once, then copied.
    for (std::uint32_t y = 0; y < grid.height; y += Grid::Cell) {
        std::uint8_t* first = grid.pixels.data() + std::size_t{y} * grid.width;
        for (std::uint32_t x = 0; x < grid.width; ++x) {
            const std::size_t square = std::size_t{y / Grid::Cell} * Grid::PerRow + x / Grid::Cell;
            first[x] = static_cast<std::uint8_t>(square < count ? square : 0);
        }
        for (std::uint32_t k = 1; k < Grid::Cell; ++k)
            std::copy_n(first, grid.width, first + std::size_t{k} * grid.width);
    }
    return grid;
}

} // namespace corvane::formats
