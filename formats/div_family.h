#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectDiv(const Head& head);
Problem readDiv(ByteSource& source, Palette& palette);
Problem writeDiv(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
