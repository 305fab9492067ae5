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
    for (std::uint32_t y = 0; y < grid.height; ++y)
        for (std::uint32_t x = 0; x < grid.width; ++x) {
            const std::size_t square = std::size_t{y / Grid::Cell} * Grid::PerRow + x / Grid::Cell;
            grid.pixels[std::size_t{y} * grid.width + x] = static_cast<std::uint8_t>(square < count ? square : 0);
        }
    return grid;
}

} // namespace corvane::formats
