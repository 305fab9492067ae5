#include "apply.h"

namespace corvane::apply {

extern const Recolourer PngRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer PngRecolourer{"png", apply};

} // namespace corvane::apply
