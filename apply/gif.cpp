#include "apply.h"

namespace corvane::apply {

extern const Recolourer GifRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer GifRecolourer{"gif", apply};

} // namespace corvane::apply
