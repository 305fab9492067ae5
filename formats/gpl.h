#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectGpl(const Head& head);
Problem readGpl(ByteSource& source, Palette& palette);
Problem writeGpl(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
