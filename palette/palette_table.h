#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

// Component indices, in the order the files store them.
enum Component : int { Red = 0, Green = 1, Blue = 2 };

// The loaded palette: entries numbered from 0, each with red, green and blue
// on the 8-bit scale. Values are not clamped: a DIV byte of 255 is held as 1020.
class PaletteTable {
public:
    using Entry = std::array<std::int16_t, 3>;

    // Gives the table n entries, every component 0.
    void resizeClear(std::size_t n);

    void store(std::size_t entry, int component, std::int16_t value);
    void storeEntry(std::size_t entry, const Entry& value) { entries_.at(entry) = value; }
    [[nodiscard]] std::int16_t fetch(std::size_t entry, int component) const;

    [[nodiscard]] std::size_t entryCount() const { return entries_.size(); }
    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

} // namespace corvane
