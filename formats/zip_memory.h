#pragma once

// A zip archive's bytes in memory, which minizip reads and writes through
// the file functions given here: for Krita's palettes and the page's archives.

#include <ioapi.h>

#include <cstddef>
#include <string>

namespace corvane::formats {

struct ZipMemory {
    std::string bytes;
    std::size_t at = 0;
};

// minizip's file functions over `memory`, which must outlive the archive.
zlib_filefunc_def zipMemoryFunctions(ZipMemory& memory);

} // namespace corvane::formats
