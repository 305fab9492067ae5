#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectAct(const Head& head);
Problem readAct(ByteSource& source, Palette& palette);
Problem writeAct(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
