#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectVga(const Head& head);
Problem readVga(ByteSource& source, Palette& palette);
Problem writeVga(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
