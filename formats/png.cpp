#include "format.h"

#include "grid.h"
#include "levels.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

namespace corvane::formats {

extern const Format PngFormat;

namespace {

constexpr std::string_view Signature{"\x89PNG\r\n\x1a\n", 8};

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
        return std::string("image PNG sans palette (pas de bloc PLTE)");
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
