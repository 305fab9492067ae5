#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

// Text read from a palette file, decoded as the kind label decodes it
// (Windows-1252), as UTF-8. Control characters come out as \xHH with the
// file's byte, and a backslash as \\, so that a line printed from it stays
// one line and says unambiguously what the file holds.
[[nodiscard]] std::string fileTextToUtf8(std::string_view bytes);

// A name given on the command line, with its control bytes and backslashes
// escaped the same way; other bytes are printed as they are.
[[nodiscard]] std::string printableName(std::string_view name);

// What an errno value means, in French: the C library's own texts follow
// the locale and are English under LANG=C.
[[nodiscard]] std::string frenchErrnoText(int error);

} // namespace corvane::cli
