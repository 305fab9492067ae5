#include "apply.h"

namespace corvane::apply {

extern const Recolourer BmpRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer BmpRecolourer{"bmp", apply};

} // namespace corvane::apply
