#pragma once

#include <string>
#include <string_view>

namespace corvane::formats {

// What an errno value means, in French: the C library's own texts follow
// the locale and are English under LANG=C.
[[nodiscard]] std::string frenchErrnoText(int error);

} // namespace corvane::formats
