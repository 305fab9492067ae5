#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectHex(const Head& head);
Problem readHex(ByteSource& source, Palette& palette);
Problem writeHex(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
