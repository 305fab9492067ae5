#include "apply.h"

namespace corvane::apply {

extern const Recolourer PcxRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer PcxRecolourer{"pcx", apply};

} // namespace corvane::apply
