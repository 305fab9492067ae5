#pragma once

// A zip archive built in memory through minizip, for the page's outputs of
// several files: each entry deflated, its name in UTF-8.

#include "zip_memory.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::web {

class Archive {
public:
    Archive();
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // What a zip entry without its 64-bit extension can hold: a name of
    // fewer than 65,536 bytes, a content of fewer than 4 GiB.
    [[nodiscard]] static bool fits(std::string_view name, std::string_view content);
    // False once anything failed: the archive is then not to be given. The
    // entry must fit.
    bool add(std::string_view name, std::string_view content);
    // The whole archive; empty when it failed.
    std::string finish();

private:
    formats::ZipMemory memory_;
    void* zip_ = nullptr;
    bool failed_ = false;
};

} // namespace corvane::web
