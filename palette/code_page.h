#pragma once

namespace corvane {

// A byte of text read from a palette file, in the Windows code page these
// files come from (Windows-1252), as a Unicode code point. The five bytes
// that code page leaves unassigned map to the C1 control of the same value.
[[nodiscard]] char32_t windows1252(unsigned char byte);

} // namespace corvane
