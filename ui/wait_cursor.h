#pragma once

namespace corvane::ui {

// The hourglass, from construction to destruction, whatever happens between.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace corvane::ui
