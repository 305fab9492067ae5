// What the fuzz targets share: an abort that the fuzzer reports as a crash,
// and a source that hands its bytes out in small reads.
#pragma once

#include "byte_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace corvane::fuzz {

inline void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

// At most `chunk` bytes per read, so that lines and the kind head fall
// across reads.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string_view data, std::size_t chunk) : data_(data), chunk_(chunk) {}
    std::size_t read(char* buf, std::size_t n) override { return data_.read(buf, std::min(n, chunk_)); }

private:
    MemorySource data_;
    std::size_t chunk_;
};

} // namespace corvane::fuzz
