#pragma once

// Why an input or an output failed, as the command line and the page say it.

#include <string>
#include <string_view>

namespace corvane::intake {

// "lecture impossible : WHY"
[[nodiscard]] std::string cannotRead(std::string_view why);

// What an errno value means, in French: the C library's own texts follow
// the locale and are English under LANG=C.
[[nodiscard]] std::string frenchErrnoText(int error);

} // namespace corvane::intake
