#include "format.h"

#include "grid.h"
#include "levels.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

namespace corvane::formats {

extern const Format PngFormat;

namespace {

constexpr std::string_view Signature{"\x89PNG\r\n\x1a\n", 8};
// An image without a palette shows no more colours than a palette holds.
constexpr std::size_t MostColours = PNG_MAX_PALETTE_LENGTH;
// An image without a palette is decoded a row at a time, whatever its height.
// libpng's own default width limit, checked here too: it sizes the row
// buffers (8 MB each at most).
constexpr png_uint_32 MostWidth = 1'000'000;

// How the setjmp frame was left.
enum Outcome : int { Done = 0, Failed = 1, PaletteRead = 2 };

// libpng's messages are English and go to stderr by default; the reader says
// one French line of its own instead. Debian's libpng is C, so its errors
// leave by longjmp, never by a C++ exception.
[[noreturn]] void leave(png_structp png, png_const_charp)
{
    png_longjmp(png, Failed);
}
void ignoreWarning(png_structp, png_const_charp) {}

struct Reading {
    ByteSource* source;
    png_infop info;
};

void readFromSource(png_structp png, png_bytep data, std::size_t length)
{
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    // Nothing after the palette matters: a huge chunk between PLTE and the
    // image data is never read.
    if (png_get_valid(png, reading->info, PNG_INFO_PLTE) != 0)
        png_longjmp(png, PaletteRead);
    if (readFully(*reading->source, reinterpret_cast<char*>(data), length) != length)
        png_error(png, "truncated");
}

// Only plain values live in these frames, so that libpng's longjmp skips no
// destructor.
int readInfo(png_structp png, png_infop info)
{
    const int outcome = setjmp(png_jmpbuf(png));
    if (outcome != Done)
        return outcome;
    png_read_info(png, info);
    return Done;
}

int writeImage(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return Failed;
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return Done;
}

// How a row of an image without a palette holds its pixels, as libpng reads
// it untransformed: the page's libpng is built without its transformations.
struct PixelLayout {
    std::size_t channels; // grey, grey and alpha, RGB, RGBA
    int depth;            // bits a sample: 1, 2, 4 or 8 for grey, 8 or 16 for all
    bool alpha;
    bool keyed; // a tRNS colour marks the transparent pixels
    png_color_16 key;
};

// The distinct colours of an image without a palette, each at the first
// pixel, in reading order, that shows it.
class ColourScan {
public:
    ColourScan(png_uint_32 width, const PixelLayout& layout) : width_(width), layout_(layout) { slots_.fill(Empty); }

    // One row of an Adam7 pass (pass 0 of a plain image). False once the
    // image shows more colours than a palette holds.
    bool take(const png_byte* row, bool interlaced, int pass, png_uint_32 passRow)
    {
        const png_uint_32 y = interlaced ? PNG_ROW_FROM_PASS_ROW(passRow, pass) : passRow;
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width_, pass) : width_;
        const std::size_t channels = layout_.channels;
        std::array<unsigned, 4> v{};
        for (png_uint_32 i = 0; i < columns; ++i) {
            for (std::size_t c = 0; c < channels; ++c)
                v[c] = sample(row, i * channels + c);
            if (transparent(v))
                continue;
            const std::uint32_t rgb =
                channels >= 3 ? level(v[0]) << 16 | level(v[1]) << 8 | level(v[2]) : level(v[0]) * 0x010101u;
            const png_uint_32 x = interlaced ? PNG_COL_FROM_PASS_COL(i, pass) : i;
            if (!see(rgb, std::uint64_t{y} * width_ + x))
                return false;
        }
        return true;
    }

    [[nodiscard]] std::size_t count() const { return count_; }

    std::vector<PaletteTable::Entry> colours()
    {
        std::sort(seen_.begin(), seen_.begin() + static_cast<std::ptrdiff_t>(count_),
                  [](const Seen& a, const Seen& b) { return a.at < b.at; });
        std::vector<PaletteTable::Entry> out;
        for (const Seen& colour : std::span(seen_.data(), count_))
            out.push_back({static_cast<std::int16_t>(colour.rgb >> 16),
                           static_cast<std::int16_t>(colour.rgb >> 8 & 0xFF),
                           static_cast<std::int16_t>(colour.rgb & 0xFF)});
        return out;
    }

private:
    struct Seen {
        std::uint32_t rgb;
        std::uint64_t at;
    };
    static constexpr std::uint16_t Empty = 0xFFFF;
    static constexpr std::size_t SlotBits = 10; // four slots a colour: short probes

    [[nodiscard]] unsigned sample(const png_byte* row, std::size_t k) const
    {
        const int depth = layout_.depth;
        if (depth == 16)
            return unsigned{row[2 * k]} << 8 | row[2 * k + 1];
        if (depth == 8)
            return row[k];
        const std::size_t bit = k * static_cast<std::size_t>(depth);
        return row[bit / 8] >> (8 - depth - static_cast<int>(bit % 8)) & ((1u << depth) - 1);
    }

    // A 16-bit level's high byte; a grey of fewer bits spread over 0..255.
    [[nodiscard]] std::uint32_t level(unsigned value) const
    {
        const int depth = layout_.depth;
        return depth == 16 ? value >> 8 : depth == 8 ? value : value * 255 / ((1u << depth) - 1);
    }

    // Alpha 0 exactly (a 16-bit alpha of 1 is not transparent), or the tRNS colour.
    [[nodiscard]] bool transparent(const std::array<unsigned, 4>& v) const
    {
        if (layout_.alpha)
            return v[layout_.channels - 1] == 0;
        if (!layout_.keyed)
            return false;
        const png_color_16& key = layout_.key;
        return layout_.channels == 1 ? v[0] == key.gray : v[0] == key.red && v[1] == key.green && v[2] == key.blue;
    }

    bool see(std::uint32_t rgb, std::uint64_t at)
    {
        // Runs of one colour are the rule in palette images: no lookup for them.
        if (count_ == 0 || rgb != last_) {
            std::size_t slot = (rgb * 2654435761u) >> (32 - SlotBits);
            while (slots_[slot] != Empty && seen_[slots_[slot]].rgb != rgb)
                slot = (slot + 1) % slots_.size();
            if (slots_[slot] == Empty) {
                if (count_ == MostColours)
                    return false;
                slots_[slot] = static_cast<std::uint16_t>(count_);
                seen_[count_++] = {rgb, at};
            }
            last_ = rgb;
            lastIndex_ = slots_[slot];
        }
        // An interlaced image may show a colour first in a later pass, yet earlier in reading order.
        seen_[lastIndex_].at = std::min(seen_[lastIndex_].at, at);
        return true;
    }

    png_uint_32 width_;
    PixelLayout layout_;
    std::array<Seen, MostColours> seen_{};
    std::size_t count_ = 0;
    std::array<std::uint16_t, std::size_t{1} << SlotBits> slots_{};
    std::uint32_t last_ = 0;
    std::size_t lastIndex_ = 0;
};

// Returns Done with every colour seen, or with the scan stopped at one too
// many. Reads into the two rows in turn.
int scanRows(png_structp png, png_infop info, const std::array<png_bytep, 2>& rowPair, ColourScan& scan, bool& tooMany)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return Failed;
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::size_t pixelBits = std::size_t{png_get_channels(png, info)} * png_get_bit_depth(png, info);
    const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    // Without libpng's own interlace handling, each pass comes as a small image of its own.
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
        if (interlaced && (rows == 0 || columns == 0))
            continue; // libpng skips an empty pass
        const std::size_t rowBytes = (columns * pixelBits + 7) / 8;
        for (png_uint_32 r = 0; r < rows; ++r) {
            const png_bytep row = rowPair[r % 2];
            png_read_row(png, row, nullptr);
            // A row like the one above it shows no colour first: an image of
            // few colours costs little more than its inflating.
            if (r > 0 && std::memcmp(row, rowPair[(r + 1) % 2], rowBytes) == 0)
                continue;
            if (!scan.take(row, interlaced, pass, r)) {
                tooMany = true;
                return Done;
            }
        }
    }
    return Done;
}

struct Writing {
    std::string* out;
    bool outOfMemory = false;
};

void writeToString(png_structp png, png_bytep data, std::size_t length)
{
    auto* writing = static_cast<Writing*>(png_get_io_ptr(png));
    try {
        writing->out->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        writing->outOfMemory = true;
    }
    // Outside the handler: longjmp must not leave a catch block.
    if (writing->outOfMemory)
        png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

class ReadStruct {
public:
    ReadStruct() : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, leave, ignoreWarning))
    {
        if (png_ != nullptr)
            info_ = png_create_info_struct(png_);
    }
    ~ReadStruct() { png_destroy_read_struct(&png_, &info_, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png_;
    png_infop info_ = nullptr;
};

class WriteStruct {
public:
    WriteStruct() : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, leave, ignoreWarning))
    {
        if (png_ != nullptr)
            info_ = png_create_info_struct(png_);
    }
    ~WriteStruct() { png_destroy_write_struct(&png_, &info_); }
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;

    png_structp png_;
    png_infop info_ = nullptr;
};

// A true-colour or grey image: a Lospec palette image, one square or pixel a colour.
Problem readPixels(png_structp png, png_infop info, Palette& palette)
{
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width > MostWidth)
        return "image PNG sans palette de " + std::to_string(width) + " × " + std::to_string(height) +
               " pixels : trop grande pour une palette";
    const png_byte type = png_get_color_type(png, info);
    PixelLayout layout{
        png_get_channels(png, info), png_get_bit_depth(png, info), (type & PNG_COLOR_MASK_ALPHA) != 0, false, {}};
    png_color_16p key = nullptr;
    if (png_get_tRNS(png, info, nullptr, nullptr, &key) != 0 && key != nullptr) {
        layout.keyed = true;
        layout.key = *key;
    }
    std::vector<png_byte> rows(2 * png_get_rowbytes(png, info));
    ColourScan scan(width, layout);
    bool tooMany = false;
    if (scanRows(png, info, {rows.data(), rows.data() + rows.size() / 2}, scan, tooMany) != Done)
        return std::string("image PNG illisible");
    if (tooMany)
        return "image PNG de plus de " + std::to_string(MostColours) + " couleurs : une image, pas une palette";
    if (scan.count() == 0)
        return std::string("image PNG sans palette dont tous les pixels sont transparents");
    palette = Palette{};
    palette.kind = "Couleurs d'une image PNG sans palette";
    palette.colours = scan.colours();
    return std::nullopt;
}

bool detect(const Head& head)
{
    return head.bytes.starts_with(Signature);
}

Problem read(ByteSource& source, Palette& palette)
{
    const std::string unreadable = "image PNG illisible";
    ReadStruct reader;
    if (reader.info_ == nullptr)
        return unreadable;
    Reading reading{&source, reader.info_};
    png_set_read_fn(reader.png_, &reading, readFromSource);
    // Every ancillary chunk but tRNS is skipped unread into memory: bounded
    // memory whatever the file holds before its image data.
    png_set_keep_unknown_chunks(reader.png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
#if defined(__has_feature)
#if __has_feature(coverage_sanitizer)
    // Under the fuzzer only: random bytes almost never carry a right CRC.
    png_set_crc_action(reader.png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
#endif
    if (readInfo(reader.png_, reader.info_) == Failed)
        return unreadable;

    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(reader.png_, reader.info_, &entries, &count) == 0 || count <= 0)
        return readPixels(reader.png_, reader.info_, palette);
    palette = Palette{};
    palette.kind = "Palette d'une image PNG";
    palette.colours.reserve(static_cast<std::size_t>(count));
    for (const png_color& entry : std::span(entries, static_cast<std::size_t>(count)))
        palette.colours.push_back({entry.red, entry.green, entry.blue});
    return std::nullopt;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, PngFormat.maxColours))
        return problem;
    const std::size_t count = palette.colours.size();
    std::vector<png_color> entries;
    for (const PaletteTable::Entry& colour : palette.colours)
        entries.push_back({static_cast<png_byte>(colour[Red]), static_cast<png_byte>(colour[Green]),
                           static_cast<png_byte>(colour[Blue])});

    const Grid grid = colourGrid(count);
    std::vector<png_bytep> rows(grid.height);
    for (png_uint_32 y = 0; y < grid.height; ++y)
        rows[y] = const_cast<png_bytep>(grid.row(y)); // libpng only reads them

    WriteStruct writer;
    if (writer.info_ == nullptr)
        return std::string("mémoire insuffisante pour écrire l'image PNG");
    std::string written;
    Writing writing{&written};
    png_set_write_fn(writer.png_, &writing, writeToString, flushNothing);
    // Every choice that shapes the compressed bytes, named, so that the same
    // palette always gives the same file, whatever libpng's defaults become.
    png_set_filter(writer.png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(writer.png_, Z_BEST_COMPRESSION);
    png_set_compression_strategy(writer.png_, Z_DEFAULT_STRATEGY);
    png_set_compression_window_bits(writer.png_, MAX_WBITS);
    png_set_compression_mem_level(writer.png_, 8);
    png_set_compression_method(writer.png_, Z_DEFLATED);
    png_set_compression_buffer_size(writer.png_, 8192);
    png_set_IHDR(writer.png_, writer.info_, grid.width, grid.height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_PLTE(writer.png_, writer.info_, entries.data(), static_cast<int>(count));
    if (writeImage(writer.png_, writer.info_, rows.data()) != Done)
        return std::string("mémoire insuffisante pour écrire l'image PNG");
    out = std::move(written);
    return std::nullopt;
}

} // namespace

extern const Format PngFormat{"png", ".png", "PNG", PNG_MAX_PALETTE_LENGTH, Signature.size(), detect, read, write};

} // namespace corvane::formats
