#include "apply.h"

#include <array>
#include <functional>

namespace corvane::apply {

// Each defined in its own file.
extern const Recolourer DivRecolourer, PngRecolourer, GifRecolourer, BmpRecolourer, PcxRecolourer, LbmRecolourer;

namespace {

constexpr std::array<std::reference_wrapper<const Recolourer>, 6> Recolourers{
    {DivRecolourer, PngRecolourer, GifRecolourer, BmpRecolourer, PcxRecolourer, LbmRecolourer}};

} // namespace

const Recolourer* recolourerFor(std::string_view format)
{
    for (const Recolourer& recolourer : Recolourers)
        if (recolourer.format == format)
            return &recolourer;
    return nullptr;
}

} // namespace corvane::apply
