#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectRiff(const Head& head);
Problem readRiff(ByteSource& source, Palette& palette);
Problem writeRiff(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
