#pragma once

// The nearest colour of a palette, by the least CIE 1976 difference in CIELAB
// (sRGB, D65 white), ties to the lowest index.

#include "palette_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace corvane::apply {

struct Lab {
    double l = 0, a = 0, b = 0;
};

[[nodiscard]] Lab toLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

class Nearest {
public:
    // `reserved`: an index no colour is mapped to (the transparent one).
    explicit Nearest(const std::vector<PaletteTable::Entry>& palette, std::optional<std::size_t> reserved = {});
    // The index of the palette's colour nearest to this one.
    [[nodiscard]] std::uint8_t index(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

private:
    struct Candidate {
        Lab lab;
        std::uint8_t index;
    };
    // The palette's colours but the reserved one, from the darkest to the lightest.
    std::vector<Candidate> byLightness_;
    std::unordered_map<std::uint32_t, std::uint8_t> known_;
};

} // namespace corvane::apply
