#include "apply.h"

namespace corvane::apply {

extern const Recolourer DivRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer DivRecolourer{"div", apply};

} // namespace corvane::apply
