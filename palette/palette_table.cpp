#include "palette_table.h"

#include <stdexcept>

namespace corvane {

void PaletteTable::resizeClear(std::size_t n)
{
    entries_.assign(n, Entry{0, 0, 0});
}

void PaletteTable::store(std::size_t entry, int component, std::int16_t value)
{
    entries_.at(entry).at(static_cast<std::size_t>(component)) = value;
}

std::int16_t PaletteTable::fetch(std::size_t entry, int component) const
{
    return entries_.at(entry).at(static_cast<std::size_t>(component));
}

} // namespace corvane
