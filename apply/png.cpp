// PNG images, chunk by chunk through zlib alone, so that the page's own libpng
// (built without its transformations or text chunks) is never asked for more.
// Keeping the indices rewrites PLTE and passes every other chunk on byte for
// byte; remapping decodes the rows a pass at a time and writes an indexed
// image, so that neither holds the whole image.

#include "apply.h"
#include "apply_texts.h"
#include "binary.h"
#include "nearest.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::apply {

extern const Recolourer PngRecolourer;

namespace {

using formats::bigEndian;

constexpr std::string_view Signature{"\x89PNG\r\n\x1a\n", 8};
constexpr std::uint32_t MostChunkBytes = 0x7FFFFFFF;
// The rows held while remapping are sized by the width: libpng's own default limit.
constexpr std::uint32_t MostWidth = 1'000'000;
// Ancillary chunks kept from before the image data are held until the new
// palette is written before them.
constexpr std::size_t MostHeldBytes = std::size_t{1} << 24;
constexpr std::size_t PieceBytes = std::size_t{1} << 16;
constexpr std::size_t IhdrBytes = 13;

enum ColourType : std::uint8_t { Grey = 0, Rgb = 2, Indexed = 3, GreyAlpha = 4, Rgba = 6 };

std::uint32_t be32(const void* bytes)
{
    return bigEndian(static_cast<const std::uint8_t*>(bytes), 4);
}

std::string be32Bytes(std::uint32_t value)
{
    std::string out;
    formats::appendBigEndian(out, value, 4);
    return out;
}

std::uint32_t crcOf(std::uint32_t crc, std::string_view bytes)
{
    return static_cast<std::uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

bool writeChunk(ByteSink& out, std::string_view type, std::string_view data)
{
    const std::uint32_t crc = crcOf(crcOf(crc32(0, nullptr, 0), type), data);
    return out.write(be32Bytes(static_cast<std::uint32_t>(data.size())) + std::string(type)) && out.write(data) &&
           out.write(be32Bytes(crc));
}

// An ancillary chunk that an editor changing the image may still copy: the
// text chunks, pHYs, and any unknown one marked so.
bool safeToCopy(std::string_view type)
{
    return (type[0] & 0x20) != 0 && (type[3] & 0x20) != 0;
}

// A PNG's chunks one after another, each checked against its CRC.
class Chunks {
public:
    explicit Chunks(ByteSource& in) : in_(in) {}

    // The next chunk's length and type.
    Problem next()
    {
        std::array<char, 8> header;
        if (readFully(in_, header.data(), header.size()) < header.size())
            return std::string(PngCut);
        length_ = be32(header.data());
        type_.assign(header.data() + 4, 4);
        if (length_ > MostChunkBytes)
            return std::string(PngDamaged);
        crc_ = crcOf(crc32(0, nullptr, 0), type_);
        left_ = length_;
        return std::nullopt;
    }
    [[nodiscard]] const std::string& type() const { return type_; }
    [[nodiscard]] std::uint32_t length() const { return length_; }

    // Up to n of the chunk's data bytes; the CRC checked once they are all read.
    Problem read(char* bytes, std::size_t n, std::size_t& got)
    {
        const std::size_t want = std::min<std::size_t>(n, left_);
        got = readFully(in_, bytes, want);
        crc_ = crcOf(crc_, {bytes, got});
        left_ -= static_cast<std::uint32_t>(got);
        if (got < want)
            return std::string(PngCut);
        return left_ == 0 ? checkCrc() : std::nullopt;
    }
    // The chunk's data whole, grown as its bytes come: never to a length
    // only announced.
    Problem data(std::string& bytes)
    {
        bytes.clear();
        if (length_ == 0)
            return checkCrc();
        while (left_ > 0) {
            const std::size_t at = bytes.size();
            bytes.resize(at + std::min<std::size_t>(left_, PieceBytes));
            std::size_t got = 0;
            const Problem problem = read(bytes.data() + at, bytes.size() - at, got);
            bytes.resize(at + got);
            if (problem)
                return problem;
        }
        return std::nullopt;
    }
    // The chunk as it is, header, data and CRC, to `out`.
    Problem copy(ByteSink& out)
    {
        std::vector<char> piece(std::min<std::size_t>(length_, PieceBytes));
        if (!out.write(be32Bytes(length_) + type_))
            return std::string(WriteFailed);
        if (length_ == 0) {
            if (Problem problem = checkCrc())
                return problem;
        }
        while (left_ > 0) {
            std::size_t got = 0;
            const Problem problem = read(piece.data(), piece.size(), got);
            if (!out.write({piece.data(), got}))
                return std::string(WriteFailed);
            if (problem)
                return problem;
        }
        return written(out.write(be32Bytes(crc_)));
    }
    // Passes the chunk over, checked all the same.
    Problem skip()
    {
        std::array<char, 4096> piece;
        if (length_ == 0)
            return checkCrc();
        while (left_ > 0) {
            std::size_t got = 0;
            if (Problem problem = read(piece.data(), piece.size(), got))
                return problem;
        }
        return std::nullopt;
    }

private:
    Problem checkCrc()
    {
        std::array<char, 4> stored;
        if (readFully(in_, stored.data(), stored.size()) < stored.size())
            return std::string(PngCut);
        return be32(stored.data()) == crc_ ? Problem() : crcFailed(type_);
    }
    static Problem written(bool ok) { return ok ? Problem() : Problem(std::string(WriteFailed)); }

    ByteSource& in_;
    std::uint32_t length_ = 0, left_ = 0, crc_ = 0;
    std::string type_;
};

struct Header {
    std::uint32_t width = 0, height = 0;
    std::uint8_t depth = 0, type = 0, interlace = 0;

    [[nodiscard]] unsigned channels() const { return type == Rgb ? 3 : type == GreyAlpha ? 2 : type == Rgba ? 4 : 1; }
    [[nodiscard]] unsigned pixelBits() const { return depth * channels(); }
    [[nodiscard]] std::size_t rowBytes(std::uint32_t columns) const
    {
        return (std::size_t{columns} * pixelBits() + 7) / 8;
    }
};

// IHDR's values, refused when PNG allows no such image.
Problem readHeader(const std::string& data, Header& header)
{
    if (data.size() != IhdrBytes)
        return std::string(PngDamaged);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    header = {be32(bytes), be32(bytes + 4), bytes[8], bytes[9], bytes[12]};
    const unsigned depth = header.depth;
    const bool depthFits = header.type == Grey ? depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16
                           : header.type == Indexed ? depth == 1 || depth == 2 || depth == 4 || depth == 8
                           : header.type == Rgb || header.type == GreyAlpha || header.type == Rgba
                               ? depth == 8 || depth == 16
                               : false;
    if (header.width == 0 || header.height == 0 || header.width > MostChunkBytes || header.height > MostChunkBytes ||
        !depthFits || bytes[10] != 0 || bytes[11] != 0 || header.interlace > 1)
        return std::string(PngDamaged);
    return std::nullopt;
}

Problem keepIndices(Chunks& chunks, ByteSource& in, const Palette& palette, ByteSink& out, Outcome& outcome)
{
    bool first = true;
    for (;;) {
        if (Problem problem = chunks.next())
            return problem;
        if (first != (chunks.type() == "IHDR"))
            return std::string(PngDamaged);
        first = false;
        if (chunks.type() == "IHDR") {
            std::string data;
            Header header;
            if (Problem problem = chunks.data(data); problem || (problem = readHeader(data, header)))
                return problem;
            if (header.type != Indexed)
                return std::string(NoIndices);
            if (!writeChunk(out, "IHDR", data))
                return std::string(WriteFailed);
        } else if (chunks.type() == "PLTE") {
            // The same number of entries, each the palette's colour, black after its last.
            std::string data;
            if (Problem problem = chunks.data(data))
                return problem;
            if (data.size() % 3 != 0 || data.size() > 3 * MostColours)
                return std::string(PngDamaged);
            const std::size_t entries = data.size() / 3;
            outcome.tableColours = std::max(outcome.tableColours, entries);
            for (std::size_t k = 0; k < entries; ++k)
                for (std::size_t c = 0; c < 3; ++c)
                    data[3 * k + c] = static_cast<char>(k < palette.colours.size() ? palette.colours[k][c] : 0);
            if (!writeChunk(out, "PLTE", data))
                return std::string(WriteFailed);
        } else if (Problem problem = chunks.copy(out)) {
            return problem;
        }
        if (chunks.type() == "IEND")
            break;
    }
    // Whatever follows the image's end stays too.
    std::vector<char> piece(PieceBytes);
    for (std::size_t got; (got = readFully(in, piece.data(), piece.size())) > 0;)
        if (!out.write({piece.data(), got}))
            return std::string(WriteFailed);
    return std::nullopt;
}

// The image data of the IDAT chunks that follow one another, from the first,
// whose header is read, as one stream; at its end, the next chunk's header
// has been read.
class ImageData final : public ByteSource {
public:
    explicit ImageData(Chunks& chunks) : chunks_(chunks), left_(chunks.length()), empty_(left_ == 0) {}

    std::size_t read(char* buf, std::size_t n) override
    {
        std::size_t got = 0;
        while (!problem_ && !ended_ && got == 0) {
            if (left_ == 0) {
                // A chunk's CRC is checked with its last byte; an empty one's here.
                if ((empty_ && (problem_ = chunks_.skip())) || (problem_ = chunks_.next()))
                    break;
                ended_ = chunks_.type() != "IDAT";
                left_ = ended_ ? 0 : chunks_.length();
                empty_ = left_ == 0;
                continue;
            }
            problem_ = chunks_.read(buf, std::min<std::size_t>(n, left_), got);
            left_ -= static_cast<std::uint32_t>(got);
        }
        return got;
    }
    // What follows the image data, once every byte of it is read.
    Problem finish()
    {
        std::array<char, 4096> rest;
        while (read(rest.data(), rest.size()) > 0) {
        }
        return problem_;
    }
    [[nodiscard]] const Problem& problem() const { return problem_; }

private:
    Chunks& chunks_;
    std::uint32_t left_;
    bool empty_;
    bool ended_ = false;
    Problem problem_;
};

// The image data inflated, row after row.
class Inflater {
public:
    explicit Inflater(ByteSource& in) : in_(in) { ready_ = inflateInit(&z_) == Z_OK; }
    ~Inflater()
    {
        if (ready_)
            inflateEnd(&z_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Exactly n bytes; false when the stream ends first or is not zlib's.
    bool read(std::uint8_t* bytes, std::size_t n)
    {
        z_.next_out = bytes;
        z_.avail_out = static_cast<uInt>(n);
        while (ready_ && z_.avail_out > 0) {
            if (z_.avail_in == 0) {
                const std::size_t got = in_.read(reinterpret_cast<char*>(input_.data()), input_.size());
                if (got == 0)
                    return false;
                z_.next_in = input_.data();
                z_.avail_in = static_cast<uInt>(got);
            }
            const int status = inflate(&z_, Z_NO_FLUSH);
            if (status == Z_STREAM_END && z_.avail_out > 0)
                return false;
            if (status != Z_OK && status != Z_STREAM_END)
                return false;
        }
        return ready_;
    }

private:
    ByteSource& in_;
    z_stream z_{};
    bool ready_ = false;
    std::array<Bytef, 1 << 15> input_; // filled before it is read
};

// Rows deflated into IDAT chunks of PieceBytes.
class Deflater {
public:
    explicit Deflater(ByteSink& out) : out_(out), buffer_(new Bytef[PieceBytes])
    {
        ready_ = deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK;
        z_.next_out = buffer_.get();
        z_.avail_out = static_cast<uInt>(PieceBytes);
    }
    ~Deflater()
    {
        if (ready_)
            deflateEnd(&z_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool write(std::span<const std::uint8_t> bytes) { return run(bytes, Z_NO_FLUSH); }
    bool finish() { return run({}, Z_FINISH) && (z_.avail_out == PieceBytes || emit()); }

private:
    bool run(std::span<const std::uint8_t> bytes, int flush)
    {
        z_.next_in = const_cast<Bytef*>(bytes.data());
        z_.avail_in = static_cast<uInt>(bytes.size());
        for (int status = Z_OK; ready_ && (z_.avail_in > 0 || (flush == Z_FINISH && status != Z_STREAM_END));) {
            if (z_.avail_out == 0 && !emit())
                return false;
            status = deflate(&z_, flush);
            ready_ = status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR;
        }
        return ready_;
    }
    // The full part of the buffer as one IDAT chunk.
    bool emit()
    {
        const std::size_t made = PieceBytes - z_.avail_out;
        ready_ = ready_ && writeChunk(out_, "IDAT", {reinterpret_cast<const char*>(buffer_.get()), made});
        z_.next_out = buffer_.get();
        z_.avail_out = static_cast<uInt>(PieceBytes);
        return ready_;
    }

    ByteSink& out_;
    z_stream z_{};
    std::unique_ptr<Bytef[]> buffer_;
    bool ready_ = false;
};

// Undoes a row's filter against the row above: none above a pass's first row,
// which filters against zeros.
bool unfilter(std::uint8_t filter, std::span<std::uint8_t> row, const std::uint8_t* above, std::size_t stride)
{
    const std::size_t n = row.size();
    const auto up = [above](std::size_t i) -> int { return above != nullptr ? above[i] : 0; };
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = stride; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - stride]);
        return true;
    case 2:
        for (std::size_t i = 0; above != nullptr && i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((i >= stride ? row[i - stride] : 0) + up(i)) / 2);
        return true;
    case 4:
        for (std::size_t i = 0; i < n; ++i) {
            const int a = i >= stride ? row[i - stride] : 0, b = up(i), c = i >= stride ? up(i - stride) : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            row[i] = static_cast<std::uint8_t>(row[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
        }
        return true;
    default:
        return false;
    }
}

// Sample k of a row of samples of `depth` bits.
unsigned sample(const std::uint8_t* row, std::size_t k, unsigned depth)
{
    if (depth == 16)
        return unsigned{row[2 * k]} << 8 | row[2 * k + 1];
    if (depth == 8)
        return row[k];
    const std::size_t bit = k * depth;
    return row[bit / 8] >> (8 - depth - bit % 8) & ((1u << depth) - 1);
}

// A sample as an 8-bit level: a 16-bit one's high byte, a grey of fewer bits spread over 0..255.
unsigned level(unsigned value, unsigned depth)
{
    return depth == 16 ? value >> 8 : depth == 8 ? value : value * 255 / ((1u << depth) - 1);
}

// Each pixel's output index, from what the chunks before the image data said.
class PixelMap {
public:
    PixelMap(const Header& header, const std::string& plte, const std::string& trns, const Palette& palette)
        : header_(header)
    {
        const bool indexed = header.type == Indexed;
        if (indexed) {
            // The first entry that is wholly transparent; partial alpha is lost.
            const std::size_t entries = std::min(plte.size() / 3, trns.size());
            for (std::size_t k = 0; k < entries; ++k) {
                const auto alpha = static_cast<std::uint8_t>(trns[k]);
                if (alpha == 0 && !transparent_)
                    transparent_ = k;
                partialAlpha_ = partialAlpha_ || (alpha != 0 && alpha != 255);
            }
        } else if (header.type == GreyAlpha || header.type == Rgba || !trns.empty()) {
            // An image that can hold transparent pixels gives them index 0.
            transparent_ = 0;
            keyed_ = !trns.empty() && trns.size() >= 2 * header.channels();
            for (std::size_t c = 0; keyed_ && c < header.channels(); ++c)
                key_[c] = be16(trns.data() + 2 * c);
        }
        entries_ = std::max(palette.colours.size(), transparent_ ? *transparent_ + 1 : 0);
        nearest_.emplace(palette.colours, transparent_);
        if (indexed || header.depth <= 8)
            for (unsigned v = 0; v < table_.size(); ++v)
                table_[v] = indexed ? indexedEntry(plte, v) : nearestGrey(v);
    }

    // The palette as the output's PLTE, black to hold the transparent index.
    [[nodiscard]] std::size_t entries() const { return entries_; }
    [[nodiscard]] const std::optional<std::size_t>& transparent() const { return transparent_; }
    [[nodiscard]] bool partialAlpha() const { return partialAlpha_; }

    // Pixel i of a decoded row.
    std::uint8_t index(const std::uint8_t* row, std::size_t i)
    {
        const unsigned depth = header_.depth;
        switch (header_.type) {
        case Indexed:
            return table_[sample(row, i, depth)];
        case Grey: {
            const unsigned v = sample(row, i, depth);
            if (keyed_ && v == key_[0])
                return static_cast<std::uint8_t>(*transparent_);
            return depth <= 8 ? table_[v] : colour(v >> 8, v >> 8, v >> 8);
        }
        case GreyAlpha: {
            const unsigned v = sample(row, 2 * i, depth);
            if (!opaque(sample(row, 2 * i + 1, depth)))
                return static_cast<std::uint8_t>(*transparent_);
            return colour(level(v, depth), level(v, depth), level(v, depth));
        }
        default: {
            const std::size_t k = header_.channels() * i;
            const unsigned r = sample(row, k, depth), g = sample(row, k + 1, depth), b = sample(row, k + 2, depth);
            if (header_.type == Rgba ? !opaque(sample(row, k + 3, depth))
                                     : keyed_ && r == key_[0] && g == key_[1] && b == key_[2])
                return static_cast<std::uint8_t>(*transparent_);
            return colour(level(r, depth), level(g, depth), level(b, depth));
        }
        }
    }

private:
    static unsigned be16(const char* bytes)
    {
        return unsigned{static_cast<std::uint8_t>(bytes[0])} << 8 | static_cast<std::uint8_t>(bytes[1]);
    }
    // Alpha 0 is transparent; partial alpha counts as opaque, and is told.
    bool opaque(unsigned alpha)
    {
        const unsigned most = (1u << header_.depth) - 1;
        partialAlpha_ = partialAlpha_ || (alpha != 0 && alpha != most);
        return alpha != 0;
    }
    std::uint8_t indexedEntry(const std::string& plte, unsigned v)
    {
        if (transparent_ && v == *transparent_)
            return static_cast<std::uint8_t>(v);
        // An index past the table shows black.
        const auto entry = [&plte, v](unsigned c) {
            return 3 * v + c < plte.size() ? static_cast<std::uint8_t>(plte[3 * v + c]) : 0;
        };
        return nearest_->index(entry(0), entry(1), entry(2));
    }
    std::uint8_t nearestGrey(unsigned v)
    {
        if (v >= (1u << header_.depth))
            return 0;
        const auto grey = static_cast<std::uint8_t>(level(v, header_.depth));
        return nearest_->index(grey, grey, grey);
    }
    // Flat areas ask for one colour many times over.
    std::uint8_t colour(unsigned r, unsigned g, unsigned b)
    {
        const std::uint32_t rgb = r << 16 | g << 8 | b;
        if (rgb != last_) {
            last_ = rgb;
            lastIndex_ = nearest_->index(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                         static_cast<std::uint8_t>(b));
        }
        return lastIndex_;
    }

    Header header_;
    std::optional<std::size_t> transparent_;
    bool keyed_ = false;
    std::array<unsigned, 3> key_{};
    bool partialAlpha_ = false;
    std::size_t entries_ = 0;
    std::optional<Nearest> nearest_;
    std::array<std::uint8_t, 256> table_{};
    std::uint32_t last_ = 0xFFFFFFFF;
    std::uint8_t lastIndex_ = 0;
};

// Adam7's passes: first column and row, then the steps between them.
struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> Adam7{
    {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
constexpr std::array<Pass, 1> Whole{{{0, 0, 1, 1}}};

std::uint32_t along(std::uint32_t size, std::uint32_t first, std::uint32_t step)
{
    return size > first ? (size - first + step - 1) / step : 0;
}

// Each row of each pass, inflated and unfiltered, handed to
// take(pass, y, row, columns), which may refuse it.
template <class Take> Problem eachRow(const Header& header, Inflater& inflater, Take&& take)
{
    const std::span<const Pass> passes = header.interlace != 0 ? std::span<const Pass>(Adam7) : Whole;
    const std::size_t stride = std::max(1u, header.pixelBits() / 8);
    // Left as they are allocated: each byte is written before it is read, so
    // that a wide image's first row costs nothing when its data are missing.
    const std::size_t most = header.rowBytes(header.width) + 1;
    std::unique_ptr<std::uint8_t[]> row(new std::uint8_t[most]);
    std::unique_ptr<std::uint8_t[]> above(new std::uint8_t[most]);
    for (const Pass& pass : passes) {
        const std::uint32_t columns = along(header.width, pass.x0, pass.dx);
        const std::uint32_t rows = along(header.height, pass.y0, pass.dy);
        if (columns == 0 || rows == 0)
            continue;
        const std::size_t bytes = header.rowBytes(columns);
        for (std::uint32_t y = 0; y < rows; ++y) {
            if (!inflater.read(row.get(), bytes + 1) ||
                !unfilter(row[0], std::span(row.get() + 1, bytes), y == 0 ? nullptr : above.get() + 1, stride))
                return std::string(PngDamaged);
            if (Problem problem = take(pass, y, row.get() + 1, columns))
                return problem;
            std::swap(row, above);
        }
    }
    return std::nullopt;
}

// Every row of every pass, decoded, mapped and written at `depth` bits a pixel.
Problem remapRows(const Header& header, Inflater& inflater, PixelMap& map, unsigned depth, Deflater& deflater)
{
    std::unique_ptr<std::uint8_t[]> written(new std::uint8_t[(std::size_t{header.width} * depth + 7) / 8 + 1]);
    return eachRow(header, inflater, [&](const Pass&, std::uint32_t, std::uint8_t* row, std::uint32_t columns) {
        const std::size_t out = (std::size_t{columns} * depth + 7) / 8;
        std::fill(written.get(), written.get() + out + 1, 0);
        for (std::uint32_t i = 0; i < columns; ++i) {
            const std::size_t bit = std::size_t{i} * depth;
            written[1 + bit / 8] |= static_cast<std::uint8_t>(map.index(row, i) << (8 - depth - bit % 8));
        }
        return deflater.write(std::span(written.get(), out + 1)) ? Problem() : Problem(std::string(WriteFailed));
    });
}

Problem remap(Chunks& chunks, const Palette& palette, ByteSink& out, Outcome& outcome)
{
    Header header;
    std::string plte, trns;
    // The ancillary chunks kept from before the image data, before and after the input's own PLTE.
    std::vector<std::string> before, after;
    std::size_t held = 0;
    for (bool first = true;; first = false) {
        if (Problem problem = chunks.next())
            return problem;
        const std::string type = chunks.type();
        if (first != (type == "IHDR") || type == "IEND")
            return std::string(PngDamaged);
        if (type == "IDAT")
            break;
        std::string data;
        if (type == "IHDR" || type == "PLTE" || type == "tRNS" || safeToCopy(type)) {
            if ((held += chunks.length()) > MostHeldBytes)
                return std::string(PngDamaged);
            if (Problem problem = chunks.data(data))
                return problem;
        } else if ((type[0] & 0x20) == 0) {
            return std::string(PngDamaged); // a critical chunk that no reader could do without
        } else if (Problem problem = chunks.skip()) {
            return problem;
        }
        if (type == "IHDR") {
            if (Problem problem = readHeader(data, header))
                return problem;
            if (header.width > MostWidth)
                return std::string(PngTooWide);
        } else if (type == "PLTE") {
            plte = std::move(data);
        } else if (type == "tRNS") {
            trns = std::move(data);
        } else if (safeToCopy(type)) {
            (plte.empty() ? before : after).push_back(type + data);
        }
    }
    if (header.type == Indexed && (plte.empty() || plte.size() % 3 != 0 || plte.size() > 3 * MostColours))
        return std::string(PngDamaged);

    PixelMap map(header, plte, trns, palette);
    unsigned depth = 1;
    while ((std::size_t{1} << depth) < map.entries())
        depth *= 2;
    std::string ihdr = be32Bytes(header.width) + be32Bytes(header.height);
    ihdr += {static_cast<char>(depth), static_cast<char>(Indexed), '\0', '\0', static_cast<char>(header.interlace)};
    std::string table(3 * map.entries(), '\0');
    for (std::size_t k = 0; k < palette.colours.size(); ++k)
        for (std::size_t c = 0; c < 3; ++c)
            table[3 * k + c] = static_cast<char>(palette.colours[k][c]);
    // Index t alone transparent: t + 1 entries, the last 0.
    std::string alpha;
    if (map.transparent())
        alpha = std::string(*map.transparent(), '\xFF') + '\0';
    bool ok = out.write(Signature) && writeChunk(out, "IHDR", ihdr);
    for (const std::string& chunk : before)
        ok = ok && writeChunk(out, std::string_view(chunk).substr(0, 4), std::string_view(chunk).substr(4));
    ok = ok && writeChunk(out, "PLTE", table) && (alpha.empty() || writeChunk(out, "tRNS", alpha));
    for (const std::string& chunk : after)
        ok = ok && writeChunk(out, std::string_view(chunk).substr(0, 4), std::string_view(chunk).substr(4));
    if (!ok)
        return std::string(WriteFailed);

    ImageData data(chunks);
    {
        Inflater inflater(data);
        Deflater deflater(out);
        Problem problem = remapRows(header, inflater, map, depth, deflater);
        if (data.problem())
            return data.problem();
        if (problem)
            return problem;
        if (!deflater.finish())
            return std::string(WriteFailed);
    }
    if (Problem problem = data.finish())
        return problem;
    outcome.partialAlphaLost = map.partialAlpha();
    // The chunks after the image data: the kept ones, then the end.
    for (;;) {
        const std::string type = chunks.type();
        if (type == "IEND")
            return writeChunk(out, "IEND", {}) ? Problem() : Problem(std::string(WriteFailed));
        if ((type[0] & 0x20) == 0)
            return std::string(PngDamaged);
        Problem problem = safeToCopy(type) ? chunks.copy(out) : chunks.skip();
        if (!problem)
            problem = chunks.next();
        if (problem)
            return problem;
    }
}

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::array<char, Signature.size()> signature;
    if (readFully(in, signature.data(), signature.size()) < signature.size() ||
        std::string_view(signature.data(), signature.size()) != Signature)
        return std::string(NotPng);
    Chunks chunks(in);
    if (mode == Mode::Remap)
        return remap(chunks, palette, out, outcome);
    if (!out.write(Signature))
        return std::string(WriteFailed);
    return keepIndices(chunks, in, palette, out, outcome);
}

// The image's colours, every pass put in its place; alpha as the file gives
// it (tRNS too), a transparent pixel all zeros.
Problem preview(ByteSource& in, Preview& image)
{
    std::array<char, Signature.size()> signature;
    if (readFully(in, signature.data(), signature.size()) < signature.size() ||
        std::string_view(signature.data(), signature.size()) != Signature)
        return std::string(NotPng);
    Chunks chunks(in);
    Header header;
    std::string plte, trns;
    for (bool first = true;; first = false) {
        if (Problem problem = chunks.next())
            return problem;
        const std::string type = chunks.type();
        if (first != (type == "IHDR") || type == "IEND")
            return std::string(PngDamaged);
        if (type == "IDAT")
            break;
        std::string data;
        if (type == "IHDR" || type == "PLTE" || type == "tRNS") {
            // None of them is longer than a full palette: what says more is not read.
            if (chunks.length() > 3 * MostColours)
                return std::string(PngDamaged);
            if (Problem problem = chunks.data(data))
                return problem;
        } else if (Problem problem = chunks.skip()) {
            return problem;
        }
        if (type == "IHDR") {
            if (Problem problem = readHeader(data, header))
                return problem;
        } else if (type == "PLTE") {
            plte = std::move(data);
        } else if (type == "tRNS") {
            trns = std::move(data);
        }
    }
    if (Problem problem = image.resize(header.width, header.height))
        return problem;
    const unsigned depth = header.depth;
    const auto key = [&trns](std::size_t c) {
        return 2 * c + 1 < trns.size() ? std::optional<unsigned>(unsigned{static_cast<std::uint8_t>(trns[2 * c])} << 8 |
                                                                 static_cast<std::uint8_t>(trns[2 * c + 1]))
                                       : std::nullopt;
    };
    const std::optional<unsigned> keys[3] = {key(0), key(1), key(2)};
    const auto put = [&](std::size_t at, const std::uint8_t* row, std::size_t i) {
        const unsigned channels = header.channels();
        const auto v = [&](unsigned c) { return sample(row, channels * i + c, depth); };
        const auto l = [&](unsigned c) { return static_cast<std::uint8_t>(level(v(c), depth)); };
        switch (header.type) {
        case Indexed: {
            const unsigned k = v(0);
            const auto entry = [&plte, k](unsigned c) {
                return 3 * k + c < plte.size() ? static_cast<std::uint8_t>(plte[3 * k + c]) : std::uint8_t{0};
            };
            const auto alpha = k < trns.size() ? static_cast<std::uint8_t>(trns[k]) : std::uint8_t{255};
            if (alpha != 0)
                image.put(at, entry(0), entry(1), entry(2), alpha);
            return;
        }
        case Grey:
            if (v(0) != keys[0])
                image.put(at, l(0), l(0), l(0));
            return;
        case GreyAlpha:
            if (l(1) != 0)
                image.put(at, l(0), l(0), l(0), l(1));
            return;
        case Rgb:
            if (v(0) != keys[0] || v(1) != keys[1] || v(2) != keys[2])
                image.put(at, l(0), l(1), l(2));
            return;
        default:
            if (l(3) != 0)
                image.put(at, l(0), l(1), l(2), l(3));
        }
    };
    ImageData data(chunks);
    Inflater inflater(data);
    const Problem problem = eachRow(
        header, inflater, [&](const Pass& pass, std::uint32_t y, const std::uint8_t* row, std::uint32_t columns) {
            for (std::uint32_t i = 0; i < columns; ++i)
                put(std::size_t{pass.y0 + y * pass.dy} * header.width + pass.x0 + i * pass.dx, row, i);
            return Problem();
        });
    // What the image data's chunks said first: a damaged row may be only their sign.
    return data.problem() ? data.problem() : problem;
}

} // namespace

const Recolourer PngRecolourer{"png", apply, preview};

} // namespace corvane::apply
