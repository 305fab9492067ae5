#include "gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace corvane::formats {

// zlib's state (its 32 KiB window) and the compressed bytes not yet inflated.
struct GzipSource::Stream {
    z_stream z{};
    bool ready = false;
    std::array<unsigned char, 4096> in{};
};

GzipSource::GzipSource(ByteSource& compressed) : compressed_(compressed), stream_(std::make_unique<Stream>())
{
    // 16 + the largest window: a gzip wrapper, no other.
    stream_->ready = inflateInit2(&stream_->z, 16 + MAX_WBITS) == Z_OK;
    if (!stream_->ready)
        state_ = State::Broken;
}

GzipSource::~GzipSource()
{
    if (stream_->ready)
        inflateEnd(&stream_->z);
}

std::size_t GzipSource::read(char* buf, std::size_t n)
{
    z_stream& z = stream_->z;
    z.next_out = reinterpret_cast<Bytef*>(buf);
    // uInt is 32 bits: a larger request simply gets fewer bytes.
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(n, 1u << 30));
    while (state_ == State::Inflating && z.avail_out > 0) {
        if (z.avail_in == 0) {
            const std::size_t got = compressed_.read(reinterpret_cast<char*>(stream_->in.data()), stream_->in.size());
            z.next_in = stream_->in.data();
            z.avail_in = static_cast<uInt>(got);
        }
        // With no input left zlib may still give the rest of a match it has
        // begun: the stream is cut once it can give nothing more (Z_BUF_ERROR).
        const int status = inflate(&z, Z_NO_FLUSH);
        // What follows the first member (another member, or padding) is not the palette's.
        if (status == Z_STREAM_END)
            state_ = State::Ended;
        else if (status != Z_OK)
            state_ = State::Broken;
    }
    return static_cast<std::size_t>(reinterpret_cast<char*>(z.next_out) - buf);
}

} // namespace corvane::formats
