// The gzip source against zlib inflating the same bytes in one call: read in
// small pieces from a source that gives small pieces, it yields the same bytes,
// never more than asked, and says whether the stream broke.

#include "fuzz_support.h"
#include "gzip_source.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

namespace {

constexpr std::size_t Limit = 4096;

struct Inflated {
    std::array<unsigned char, Limit> bytes{};
    std::size_t size = 0;
    bool broken = false;
};

Inflated inflateAtOnce(std::string_view data)
{
    Inflated out;
    z_stream z{};
    require(inflateInit2(&z, 16 + MAX_WBITS) == Z_OK, "zlib");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.bytes.data();
    z.avail_out = Limit;
    int status = Z_OK;
    while (status == Z_OK && z.avail_out > 0 && z.avail_in > 0)
        status = inflate(&z, Z_NO_FLUSH);
    out.size = Limit - z.avail_out;
    out.broken = status != Z_STREAM_END && z.avail_out > 0;
    inflateEnd(&z);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view data(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const Inflated expected = inflateAtOnce(data);

    ChunkedSource compressed(data, 1 + bytes[0] % 64);
    formats::GzipSource source(compressed);
    std::array<char, Limit + 1> got;
    std::size_t total = 0;
    for (std::size_t ask = 1 + bytes[0] / 64; total < Limit; ask = ask * 3 + 1) {
        const std::size_t want = std::min(ask, Limit - total);
        const std::size_t n = source.read(got.data() + total, want);
        require(n <= want, "more bytes than asked");
        if (n == 0)
            break;
        total += n;
    }
    require(total == expected.size, "not as many bytes as zlib gives");
    require(std::memcmp(got.data(), expected.bytes.data(), total) == 0, "not the bytes zlib gives");
    require(total == Limit || source.broken() == expected.broken, "broken or not, unlike zlib");
    return 0;
}
