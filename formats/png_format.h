#pragma once

#include "format.h"

namespace corvane::formats {

[[nodiscard]] bool detectPng(const Head& head);
Problem readPng(ByteSource& source, Palette& palette);
Problem writePng(const Palette& palette, const WriteContext& context, std::string& out);

} // namespace corvane::formats
