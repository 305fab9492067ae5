#include "apply.h"

namespace corvane::apply {

extern const Recolourer LbmRecolourer;

namespace {

Problem apply(ByteSource&, const Palette&, Mode, ByteSink&, Outcome&)
{
    return "pas encore";
}

} // namespace

const Recolourer LbmRecolourer{"lbm", apply};

} // namespace corvane::apply
