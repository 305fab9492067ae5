#pragma once

// Whether a format named by the user can be written: the one answer the
// command line, the page and convertInput() give.

#include "format.h"

#include <string_view>

namespace corvane::intake {

struct Target {
    // The format of that name, whether or not it writes; nullptr for none.
    const formats::Format* named = nullptr;
    // Why it is no target, in French; nothing when it writes.
    formats::Problem refusal;
};

// « format inconnu : « NAME » », or « le format « lbm » se lit mais ne s'écrit pas ».
[[nodiscard]] Target targetNamed(std::string_view name);

} // namespace corvane::intake
