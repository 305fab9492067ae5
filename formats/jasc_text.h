#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectJasc(const Head& head);
Problem readJasc(ByteSource& source, Palette& palette);
Problem writeJasc(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
