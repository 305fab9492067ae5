#include "nearest.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane::apply {

namespace {

// The colours whose answers are kept, at most: a few MiB.
constexpr std::size_t MostKnown = std::size_t{1} << 18;

double linear(std::uint8_t level)
{
    const double c = level / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labF(double t)
{
    constexpr double delta = 6.0 / 29.0;
    return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
}

// A level's linear value, computed once for the 256 there are.
const std::array<double, 256>& linearLevels()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> levels{};
        for (std::size_t level = 0; level < levels.size(); ++level)
            levels[level] = linear(static_cast<std::uint8_t>(level));
        return levels;
    }();
    return table;
}

double squaredDistance(const Lab& x, const Lab& y)
{
    const double dl = x.l - y.l, da = x.a - y.a, db = x.b - y.b;
    return dl * dl + da * da + db * db;
}

std::uint8_t clampLevel(std::int16_t level)
{
    return static_cast<std::uint8_t>(level < 0 ? 0 : level > 255 ? 255 : level);
}

} // namespace

Lab toLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const auto& levels = linearLevels();
    const double r = levels[red], g = levels[green], b = levels[blue];
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = (0.2126 * r + 0.7152 * g + 0.0722 * b) / 1.0;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const double fx = labF(x), fy = labF(y), fz = labF(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

Nearest::Nearest(const std::vector<PaletteTable::Entry>& palette, std::optional<std::size_t> reserved)
{
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        if (reserved && *reserved == i)
            continue;
        const auto& colour = palette[i];
        byLightness_.push_back(
            {toLab(clampLevel(colour[0]), clampLevel(colour[1]), clampLevel(colour[2])), static_cast<std::uint8_t>(i)});
    }
    std::stable_sort(byLightness_.begin(), byLightness_.end(),
                     [](const Candidate& x, const Candidate& y) { return x.lab.l < y.lab.l; });
}

std::uint8_t Nearest::index(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const std::uint32_t key = (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
    if (const auto known = known_.find(key); known != known_.end())
        return known->second;
    const Lab lab = toLab(red, green, blue);
    double best = std::numeric_limits<double>::infinity();
    std::uint8_t found = 0;
    // A tie keeps the lowest index, whatever the order the candidates are met in.
    const auto consider = [&](const Candidate& candidate) {
        const double distance = squaredDistance(lab, candidate.lab);
        if (distance < best || (distance == best && candidate.index < found)) {
            best = distance;
            found = candidate.index;
        }
    };
    // Outwards from the colour's lightness: a candidate whose lightness alone
    // differs by more than the best distance cannot be nearer, nor any beyond it.
    const auto from = std::lower_bound(byLightness_.begin(), byLightness_.end(), lab.l,
                                       [](const Candidate& candidate, double l) { return candidate.lab.l < l; });
    for (auto it = from; it != byLightness_.end() && (it->lab.l - lab.l) * (it->lab.l - lab.l) <= best; ++it)
        consider(*it);
    for (auto it = from; it != byLightness_.begin() && (lab.l - (it - 1)->lab.l) * (lab.l - (it - 1)->lab.l) <= best;
         --it)
        consider(*(it - 1));
    // A photograph can show millions of colours: the memory stays bounded.
    if (known_.size() >= MostKnown)
        known_.clear();
    known_.emplace(key, found);
    return found;
}

} // namespace corvane::apply
