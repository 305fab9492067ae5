// GIF 87a and 89a: the tables rewritten in place, or every frame decoded and
// encoded again by giflib over one global table that is the palette.
#include "gif.h"
#include "indexed.h"

#include <gif_lib.h>

#include <cstring>
#include <map>
#include <memory>

namespace corvane::apply {

extern const Recolourer GifRecolourer;

namespace {

using namespace formats::gif;

constexpr std::uint8_t GraphicControl = 0xF9;
constexpr std::uint8_t HasTransparent = 0x01;

const std::string CutShort = "image GIF coupée avant son octet de fin (0x3B)";
const std::string OutOfMemory = "mémoire insuffisante pour écrire l'image GIF";

// Where a file's colour tables lie, and the transparent index each frame's
// graphic control extension gives it.
struct Layout {
    struct Table {
        std::size_t at, count;
    };
    std::vector<Table> tables;
    std::vector<std::optional<std::size_t>> transparent; // one a frame
};

// Walks the blocks up to the trailer, so that a file cut short is refused
// before a byte of it is written.
Problem walk(std::string_view bytes, Layout& layout)
{
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < ScreenBytes || !isGif(bytes))
        return Unreadable;
    std::size_t at = ScreenBytes;
    const auto table = [&](std::uint8_t packed) {
        if ((packed & HasTable) == 0)
            return true;
        const std::size_t count = std::size_t{2} << (packed & 7);
        if (size - at < count * 3)
            return false;
        layout.tables.push_back({at, count});
        at += count * 3;
        return true;
    };
    const auto subBlocks = [&] {
        while (at < size) {
            const std::size_t length = b[at++];
            if (length == 0)
                return true;
            if (size - at < length)
                return false;
            at += length;
        }
        return false;
    };
    const bool global = (b[10] & HasTable) != 0;
    if (!table(b[10]))
        return CutInTable;
    std::optional<std::size_t> transparent;
    while (at < size) {
        const std::uint8_t introducer = b[at++];
        if (introducer == Trailer)
            return std::nullopt;
        if (introducer == ExtensionIntroducer) {
            // A graphic control block: its size, flags, delay (2 bytes), transparent index.
            if (at + 5 < size && b[at] == GraphicControl && b[at + 1] >= 4)
                transparent = (b[at + 2] & HasTransparent) != 0 ? std::optional<std::size_t>(b[at + 5]) : std::nullopt;
            if (++at > size || !subBlocks())
                return CutShort;
        } else if (introducer == ImageIntroducer) {
            if (size - at < ImageBytes)
                return CutShort;
            const std::uint8_t packed = b[at + 8];
            at += ImageBytes;
            if (!table(packed))
                return CutInTable;
            if ((packed & HasTable) == 0 && !global)
                return NoTable;
            // The LZW code size, then the data.
            if (++at > size || !subBlocks())
                return CutShort;
            layout.transparent.push_back(transparent);
            transparent.reset();
        } else {
            return Unreadable;
        }
    }
    return CutShort;
}

struct Reading {
    std::string_view bytes;
};

int readFromMemory(GifFileType* gif, GifByteType* data, int length)
{
    auto* reading = static_cast<Reading*>(gif->UserData);
    const std::size_t n = std::min(reading->bytes.size(), static_cast<std::size_t>(length));
    std::memcpy(data, reading->bytes.data(), n);
    reading->bytes.remove_prefix(n);
    return static_cast<int>(n);
}

struct Writing {
    ByteSink& sink;
    bool failed = false;
};

int writeToSink(GifFileType* gif, const GifByteType* data, int length)
{
    auto* writing = static_cast<Writing*>(gif->UserData);
    writing->failed = !writing->sink.write({reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)});
    return writing->failed ? 0 : length;
}

struct CloseInput {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
// Closing writes the trailer and frees what giflib holds, on success or not.
struct CloseOutput {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

std::vector<Colour> coloursOf(const ColorMapObject* map)
{
    std::vector<Colour> colours;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i)
        colours.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return colours;
}

// Frames, their extensions (delays, disposal, transparency, loop, comments)
// and the screen kept; each frame's pixels sent through its own table to the
// palette's nearest colours, its transparent index left where it is.
Problem remap(std::string_view bytes, const Layout& layout, const Palette& palette, ByteSink& out)
{
    // The table: the palette, black after it up to the highest transparent
    // index and on to a power of two, as --to=gif rounds it.
    std::size_t count = std::min<std::size_t>(palette.colours.size(), 256);
    for (const std::optional<std::size_t>& transparent : layout.transparent)
        count = std::max(count, transparent.value_or(0) + 1);
    const int bits = bitsFor(count);
    std::array<GifColorType, 256> colours{};
    for (std::size_t i = 0; i < palette.colours.size() && i < colours.size(); ++i) {
        const std::array<std::uint8_t, 3> rgb = paletteColour(palette, i);
        colours[i] = {rgb[0], rgb[1], rgb[2]};
    }
    const std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> table(
        GifMakeMapObject(1 << bits, colours.data()), GifFreeMapObject);
    Reading reading{bytes};
    const std::unique_ptr<GifFileType, CloseInput> in(DGifOpen(&reading, readFromMemory, nullptr));
    if (in == nullptr)
        return Unreadable;
    Writing writing{out};
    std::unique_ptr<GifFileType, CloseOutput> gif(EGifOpen(&writing, writeToSink, nullptr));
    if (table == nullptr || gif == nullptr)
        return OutOfMemory;
    // giflib fails for want of memory, or because the sink refused a write.
    const auto failed = [&writing] { return writing.failed ? std::string(WriteFailed) : OutOfMemory; };

    // One nearest colour search a transparent index; most files have one.
    std::map<std::optional<std::size_t>, Nearest> nearest;
    const auto nearestFor = [&](std::optional<std::size_t> reserved) -> Nearest& {
        return nearest.try_emplace(reserved, palette.colours, reserved).first->second;
    };
    int background = 0;
    if (const ColorMapObject* global = in->SColorMap; global != nullptr && in->SBackGroundColor < global->ColorCount) {
        const GifColorType& colour = global->Colors[in->SBackGroundColor];
        background = nearestFor({}).index(colour.Red, colour.Green, colour.Blue);
    }
    EGifSetGifVersion(gif.get(), bytes[4] == '9');
    gif->AspectByte = in->AspectByte;
    if (EGifPutScreenDesc(gif.get(), in->SWidth, in->SHeight, in->SColorResolution, background, table.get()) ==
        GIF_ERROR)
        return failed();

    std::size_t frame = 0;
    std::vector<GifPixelType> line;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(in.get(), &type) == GIF_ERROR)
            return Unreadable;
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(in.get(), &code, &block) == GIF_ERROR)
                return Unreadable;
            if (EGifPutExtensionLeader(gif.get(), code) == GIF_ERROR)
                return failed();
            while (block != nullptr) {
                if (EGifPutExtensionBlock(gif.get(), block[0], block + 1) == GIF_ERROR)
                    return failed();
                if (DGifGetExtensionNext(in.get(), &block) == GIF_ERROR)
                    return Unreadable;
            }
            if (EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
                return failed();
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(in.get()) == GIF_ERROR ||
            frame == layout.transparent.size())
            return Unreadable;
        const GifImageDesc& image = in->Image;
        // A frame of no pixels leaves its data where giflib would read the next block.
        if (image.Width <= 0 || image.Height <= 0)
            return Unreadable;
        const std::optional<std::size_t> transparent = layout.transparent[frame++];
        const std::array<std::uint8_t, 256> to =
            nearestOf(coloursOf(image.ColorMap != nullptr ? image.ColorMap : in->SColorMap), nearestFor(transparent),
                      transparent);
        if (EGifPutImageDesc(gif.get(), image.Left, image.Top, image.Width, image.Height, image.Interlace, nullptr) ==
            GIF_ERROR)
            return failed();
        // Lines in the order the file holds them: an interlaced frame stays interlaced.
        line.resize(static_cast<std::size_t>(image.Width));
        for (int y = 0; y < image.Height; ++y) {
            if (DGifGetLine(in.get(), line.data(), image.Width) == GIF_ERROR)
                return Unreadable;
            for (GifPixelType& pixel : line)
                pixel = to[pixel];
            if (EGifPutLine(gif.get(), line.data(), image.Width) == GIF_ERROR)
                return failed();
        }
    }
    // Closing writes the trailer.
    const bool closed = EGifCloseFile(gif.release(), nullptr) != GIF_ERROR;
    return closed && !writing.failed ? Problem() : Problem(failed());
}

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::string bytes = readWhole(in);
    Layout layout;
    if (Problem problem = walk(bytes, layout))
        return problem;
    if (mode == Mode::Remap)
        return remap(bytes, layout, palette, out);
    for (const Layout::Table& table : layout.tables) {
        putPalette(palette, bytes.data() + table.at, table.count);
        outcome.tableColours = std::max(outcome.tableColours, table.count);
    }
    return written(out, bytes);
}

// The first frame on the logical screen, its transparent pixels and the
// screen around it transparent.
Problem preview(ByteSource& in, Preview& image)
{
    const std::string bytes = readWhole(in);
    Layout layout;
    if (Problem problem = walk(bytes, layout))
        return problem;
    Reading reading{bytes};
    const std::unique_ptr<GifFileType, CloseInput> gif(DGifOpen(&reading, readFromMemory, nullptr));
    if (gif == nullptr)
        return Unreadable;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return Unreadable;
        if (type == TERMINATE_RECORD_TYPE)
            return std::string(NoImage);
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return Unreadable;
            while (block != nullptr)
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return Unreadable;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR || layout.transparent.empty())
            return Unreadable;
        break;
    }
    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
        return Unreadable;
    if (Problem problem = image.resize(std::max(gif->SWidth, frame.Left + frame.Width),
                                       std::max(gif->SHeight, frame.Top + frame.Height)))
        return problem;
    const std::vector<Colour> table = coloursOf(frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap);
    const std::optional<std::size_t> transparent = layout.transparent.front();
    // An interlaced frame's lines come every 8th from 0, every 8th from 4, every 4th from 2, then the odd ones.
    std::vector<int> rows;
    for (const auto& [first, step] : frame.Interlace ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                                                     : std::vector<std::pair<int, int>>{{0, 1}})
        for (int y = first; y < frame.Height; y += step)
            rows.push_back(y);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (const int y : rows) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
            return Unreadable;
        for (int x = 0; x < frame.Width; ++x) {
            const std::size_t index = line[static_cast<std::size_t>(x)];
            if (index == transparent)
                continue;
            const Colour colour = index < table.size() ? table[index] : Colour{0, 0, 0};
            image.put(std::size_t(frame.Top + y) * image.width + std::size_t(frame.Left + x), levelByte(colour[Red]),
                      levelByte(colour[Green]), levelByte(colour[Blue]));
        }
    }
    return std::nullopt;
}

} // namespace

const Recolourer GifRecolourer{"gif", apply, preview};

} // namespace corvane::apply
