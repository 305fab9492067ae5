// DIV's FPG, MAP and FNT files, plain or compressed by gzip as BennuGD writes
// them: the 768 levels rewritten and, to remap, every graphic's pixel bytes
// mapped in place; every other byte as it was. The file streams through a
// buffer, so that a 1 GiB FPG is never held whole.

#include "apply.h"
#include "apply_texts.h"
#include "binary.h"
#include "conversion.h"
#include "div_pal.h"
#include "gzip_source.h"
#include "nearest.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace corvane::apply {

extern const Recolourer DivRecolourer;

namespace {

using formats::littleEndian;
using Table = std::array<std::uint8_t, 256>;

// The three-letter name and the bytes after it that open every DIV file.
constexpr std::size_t NameBytes = 3;
constexpr std::string_view HeaderTail{"\x1A\r\n\0", 4};
// A MAP's width, height, code and description come before its levels.
constexpr std::size_t MapLevelOffset = 48;
// Where a graphic's pixels start: a FPG graphic's code, length, description,
// file name, width, height and count of control points, 4 bytes each point.
constexpr std::size_t GraphicHeaderBytes = 64;
constexpr std::size_t PointBytes = 4;
// After a FNT's ranges: its character set, then 256 characters of 16 bytes
// (width, height, vertical offset, where in the file its pixels are).
constexpr std::size_t FontTableBytes = 4 + 256 * 16;
constexpr std::uint64_t FontPixelsFrom = DivRangeOffset + DivRangeBytes + FontTableBytes;

constexpr std::size_t BufferBytes = 1 << 16;

constexpr std::string_view Graphic = "graphique";
constexpr std::string_view Character = "caractère";

std::uint32_t le32(const char* bytes)
{
    return littleEndian(reinterpret_cast<const std::uint8_t*>(bytes), 4);
}

// The file from its input to its output, a buffer at a time; `at` counts what was read.
class Walk {
public:
    Walk(ByteSource& in, ByteSink& out) : in_(in), out_(out), buffer_(new char[BufferBytes]) {}

    // Reads up to n bytes into `bytes`; how many there were before the end.
    std::size_t read(char* bytes, std::size_t n)
    {
        const std::size_t got = readFully(in_, bytes, n);
        at_ += got;
        return got;
    }
    void write(std::string_view bytes) { written_ = written_ && out_.write(bytes); }

    // Passes n bytes on, each through `table` when there is one; false when
    // the file ends first.
    bool pass(std::uint64_t n, const Table* table = nullptr)
    {
        while (n > 0) {
            if (!written_)
                return false;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, BufferBytes));
            const std::size_t got = read(buffer_.get(), want);
            if (table != nullptr)
                for (char& byte : std::span(buffer_.get(), got))
                    byte = static_cast<char>((*table)[static_cast<std::uint8_t>(byte)]);
            write({buffer_.get(), got});
            if (got < want)
                return false;
            n -= got;
        }
        return true;
    }
    // Passes every byte left on.
    void passRest()
    {
        while (pass(BufferBytes)) {
        }
    }

    [[nodiscard]] std::uint64_t at() const { return at_; }
    [[nodiscard]] bool written() const { return written_; }

private:
    ByteSource& in_;
    ByteSink& out_;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t at_ = 0;
    bool written_ = true;
};

// Each graphic of a FPG after its ranges: a header, its points, its pixels,
// anything else its length holds.
Problem walkGraphics(Walk& walk, const Table* table)
{
    for (;;) {
        std::array<char, GraphicHeaderBytes> header{};
        const std::size_t got = walk.read(header.data(), header.size());
        if (got == 0)
            return std::nullopt;
        const std::uint32_t code = le32(&header[0]);
        if (got < header.size())
            return pixelsCut(Graphic, code);
        const std::uint64_t length = le32(&header[4]);
        const std::uint64_t pixels = std::uint64_t{le32(&header[52])} * le32(&header[56]);
        const std::uint64_t pixelsAt = GraphicHeaderBytes + std::uint64_t{le32(&header[60])} * PointBytes;
        if (pixelsAt + pixels > length)
            return pixelsMisplaced(Graphic, code);
        walk.write({header.data(), header.size()});
        if (!walk.pass(pixelsAt - GraphicHeaderBytes) || !walk.pass(pixels, table) ||
            !walk.pass(length - pixelsAt - pixels))
            return pixelsCut(Graphic, code);
    }
}

// A MAP's one graphic after its ranges: its points, then its pixels.
Problem walkMap(Walk& walk, const Table* table, const char* header)
{
    const std::uint32_t code = le32(header + 12);
    std::array<char, 2> points;
    const bool whole = walk.read(points.data(), points.size()) == points.size();
    walk.write({points.data(), points.size()});
    const std::uint64_t pixels = std::uint64_t{littleEndian(reinterpret_cast<const std::uint8_t*>(header + 8), 2)} *
                                 littleEndian(reinterpret_cast<const std::uint8_t*>(header + 10), 2);
    if (!whole || !walk.pass(PointBytes * littleEndian(reinterpret_cast<const std::uint8_t*>(points.data()), 2)) ||
        !walk.pass(pixels, table))
        return pixelsCut(Graphic, code);
    walk.passRest();
    return std::nullopt;
}

// A FNT's characters, whose pixels lie where its table says, in any order.
Problem walkFont(Walk& walk, const Table* table)
{
    std::array<char, FontTableBytes> fontTable;
    if (walk.read(fontTable.data(), fontTable.size()) < fontTable.size())
        return std::string(FontTableCut);
    walk.write({fontTable.data(), fontTable.size()});
    struct Glyph {
        std::uint64_t from, to;
        std::uint32_t code;
    };
    std::vector<Glyph> glyphs;
    for (std::uint32_t code = 0; code < 256; ++code) {
        const char* entry = &fontTable[4 + 16 * code];
        const auto width = static_cast<std::int32_t>(le32(entry)), height = static_cast<std::int32_t>(le32(entry + 4));
        if (width <= 0 || height <= 0)
            continue; // a character the font does not draw
        const std::uint64_t from = le32(entry + 12);
        if (from < FontPixelsFrom)
            return pixelsMisplaced(Character, code);
        glyphs.push_back({from, from + std::uint64_t(width) * std::uint64_t(height), code});
    }
    // In the file's order; pixels two characters share are mapped once.
    std::sort(glyphs.begin(), glyphs.end(), [](const Glyph& a, const Glyph& b) { return a.from < b.from; });
    std::uint64_t mappedTo = FontPixelsFrom;
    for (const Glyph& glyph : glyphs) {
        const std::uint64_t from = std::max(glyph.from, mappedTo);
        if (glyph.to <= from)
            continue;
        if (!walk.pass(from - walk.at()) || !walk.pass(glyph.to - from, table)) {
            // The lowest code of those the file stops in.
            std::uint32_t cut = glyph.code;
            for (const Glyph& other : glyphs)
                if (other.to > walk.at())
                    cut = std::min(cut, other.code);
            return pixelsCut(Character, cut);
        }
        mappedTo = glyph.to;
    }
    walk.passRest();
    return std::nullopt;
}

// Each index mapped to the palette's nearest colour, the file's colours as
// it shows them (6-bit levels times 4) against the output's levels; 0, the
// transparent index, kept and given to no other colour.
Table remapTable(const DivLevels& fileLevels, const DivLevels& newLevels, std::size_t colours)
{
    std::vector<PaletteTable::Entry> candidates(std::min<std::size_t>(colours, DivEntryCount));
    for (std::size_t k = 0; k < candidates.size(); ++k)
        for (std::size_t c = 0; c < 3; ++c)
            candidates[k][c] = static_cast<std::int16_t>(newLevels[k * 3 + c] * 4);
    Nearest nearest(candidates, 0);
    Table table{};
    const auto shown = [&fileLevels](std::size_t at) {
        return static_cast<std::uint8_t>(std::min(fileLevels[at] * 4, 255));
    };
    for (std::size_t k = 1; k < table.size(); ++k)
        table[k] = nearest.index(shown(k * 3), shown(k * 3 + 1), shown(k * 3 + 2));
    return table;
}

// A DIV file's head: its header up to its levels, then the levels; a palette
// file, which holds no image, refused.
struct Head {
    std::array<char, MapLevelOffset> header{};
    std::string_view name;
    std::size_t levelOffset = 0;
    DivLevels levels;
};

Problem readHead(Walk& walk, Head& head)
{
    const std::size_t got = walk.read(head.header.data(), DivLevelOffset);
    const std::string_view name(head.header.data(), NameBytes);
    if (got < DivLevelOffset || std::string_view(head.header.data() + NameBytes, HeaderTail.size()) != HeaderTail ||
        (name != "fpg" && name != "map" && name != "fnt" && name != "pal"))
        return std::string(NotDivFile);
    if (name == "pal")
        return std::string(NoImage);
    head.name = name;
    head.levelOffset = name == "map" ? MapLevelOffset : DivLevelOffset;
    if (walk.read(head.header.data() + got, head.levelOffset - got) < head.levelOffset - got ||
        walk.read(reinterpret_cast<char*>(head.levels.data()), head.levels.size()) < head.levels.size())
        return std::string(LevelsCut);
    return std::nullopt;
}

// The file's content, from its header on.
Problem recolour(Walk& walk, const Palette& palette, Mode mode, Outcome& outcome)
{
    Head head;
    if (Problem problem = readHead(walk, head))
        return problem;

    // The levels by the div writer's rule, but black past the palette's end, never repeated.
    const DivLevels written = tileDivLevels(palette.colours, DivEntryCount,
                                            palette.sixBit ? LevelScale::SixBitTimesFour : LevelScale::EightBit);
    outcome.tableColours = DivEntryCount;
    const Table remap = mode == Mode::Remap ? remapTable(head.levels, written, palette.colours.size()) : Table{};
    const Table* table = mode == Mode::Remap ? &remap : nullptr;
    walk.write({head.header.data(), head.levelOffset});
    walk.write({reinterpret_cast<const char*>(written.data()), written.size()});
    if (!walk.pass(DivRangeBytes))
        return std::string(RangesCut);
    if (head.name == "fpg")
        return walkGraphics(walk, table);
    if (head.name == "map")
        return walkMap(walk, table, head.header.data());
    return walkFont(walk, table);
}

// Compresses what it is given into a gzip file as it comes.
class GzipSink final : public ByteSink {
public:
    explicit GzipSink(ByteSink& out) : out_(out), buffer_(new Bytef[BufferBytes])
    {
        // 16 + the largest window: a gzip wrapper, no other.
        ready_ = deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~GzipSink() override
    {
        if (ready_)
            deflateEnd(&z_);
    }
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;

    bool write(std::string_view bytes) override { return deflateFrom(bytes, Z_NO_FLUSH); }
    bool finish() { return deflateFrom({}, Z_FINISH); }

private:
    bool deflateFrom(std::string_view bytes, int flush)
    {
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z_.avail_in = static_cast<uInt>(bytes.size());
        int status = Z_OK;
        while (ready_ && (z_.avail_in > 0 || (flush == Z_FINISH && status != Z_STREAM_END))) {
            z_.next_out = buffer_.get();
            z_.avail_out = static_cast<uInt>(BufferBytes);
            status = deflate(&z_, flush);
            ready_ = status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR;
            const auto made = BufferBytes - z_.avail_out;
            ready_ = ready_ && out_.write({reinterpret_cast<const char*>(buffer_.get()), made});
        }
        return ready_;
    }

    ByteSink& out_;
    z_stream z_{};
    std::unique_ptr<Bytef[]> buffer_;
    bool ready_ = false;
};

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::array<char, formats::GzipMagic.size()> magic;
    const std::size_t got = readFully(in, magic.data(), magic.size());
    PrefixedSource whole({magic.data(), got}, in);
    if (std::string_view(magic.data(), got) != formats::GzipMagic) {
        Walk walk(whole, out);
        Problem problem = recolour(walk, palette, mode, outcome);
        return walk.written() ? problem : std::string(WriteFailed);
    }
    // Written back compressed, as it came.
    formats::GzipSource inflated(whole);
    GzipSink compressed(out);
    Walk walk(inflated, compressed);
    Problem problem = recolour(walk, palette, mode, outcome);
    if (inflated.broken() && !inflated.failed())
        return std::string(GzipBroken);
    if (!walk.written() || (!problem && !compressed.finish()))
        return std::string(WriteFailed);
    return problem;
}

// Skips n bytes; false when the file ends first.
bool skip(Walk& walk, std::uint64_t n)
{
    std::array<char, 4096> piece;
    while (n > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, piece.size()));
        if (walk.read(piece.data(), want) < want)
            return false;
        n -= want;
    }
    return true;
}

// The first graphic (a FPG's first, a MAP's one, a FNT's first character) as
// the window shows its colours: 6-bit levels times 4, index 0 transparent.
Problem firstImage(Walk& walk, Preview& image)
{
    Head head;
    if (Problem problem = readHead(walk, head))
        return problem;
    const std::string_view name = head.name;
    const DivLevels& levels = head.levels;
    const auto& header = head.header;
    if (!skip(walk, DivRangeBytes))
        return std::string(RangesCut);
    std::uint64_t width = 0, height = 0;
    std::string_view what = Graphic;
    std::uint32_t code = 0;
    if (name == "fpg") {
        std::array<char, GraphicHeaderBytes> graphic{};
        const std::size_t read = walk.read(graphic.data(), graphic.size());
        if (read == 0)
            return std::string(NoGraphic);
        code = le32(&graphic[0]);
        width = le32(&graphic[52]);
        height = le32(&graphic[56]);
        if (read < graphic.size() || !skip(walk, std::uint64_t{le32(&graphic[60])} * PointBytes))
            return pixelsCut(Graphic, code);
    } else if (name == "map") {
        code = le32(header.data() + 12);
        width = littleEndian(reinterpret_cast<const std::uint8_t*>(header.data() + 8), 2);
        height = littleEndian(reinterpret_cast<const std::uint8_t*>(header.data() + 10), 2);
        std::array<char, 2> points;
        if (walk.read(points.data(), points.size()) < points.size() ||
            !skip(walk, PointBytes * littleEndian(reinterpret_cast<const std::uint8_t*>(points.data()), 2)))
            return pixelsCut(Graphic, code);
    } else {
        std::array<char, FontTableBytes> fontTable;
        if (walk.read(fontTable.data(), fontTable.size()) < fontTable.size())
            return std::string(FontTableCut);
        what = Character;
        for (code = 0; code < 256; ++code) {
            const char* entry = &fontTable[4 + 16 * code];
            const auto w = static_cast<std::int32_t>(le32(entry)), h = static_cast<std::int32_t>(le32(entry + 4));
            if (w <= 0 || h <= 0)
                continue;
            if (le32(entry + 12) < FontPixelsFrom)
                return pixelsMisplaced(Character, code);
            width = static_cast<std::uint64_t>(w);
            height = static_cast<std::uint64_t>(h);
            if (!skip(walk, le32(entry + 12) - walk.at()))
                return pixelsCut(Character, code);
            break;
        }
        if (code == 256)
            return std::string(NoGraphic);
    }
    if (Problem problem = image.resize(width, height))
        return problem;
    std::string pixels(static_cast<std::size_t>(width * height), '\0');
    if (walk.read(pixels.data(), pixels.size()) < pixels.size())
        return pixelsCut(what, code);
    const auto shown = [&levels](std::size_t at) { return static_cast<std::uint8_t>(std::min(levels[at] * 4, 255)); };
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (const auto k = static_cast<std::uint8_t>(pixels[i]); k != 0)
            image.put(i, shown(3 * k), shown(3 * k + 1), shown(3 * k + 2));
    return std::nullopt;
}

Problem preview(ByteSource& in, Preview& image)
{
    std::array<char, formats::GzipMagic.size()> magic;
    const std::size_t got = readFully(in, magic.data(), magic.size());
    PrefixedSource whole({magic.data(), got}, in);
    StringSink none;
    if (std::string_view(magic.data(), got) != formats::GzipMagic) {
        Walk walk(whole, none);
        return firstImage(walk, image);
    }
    formats::GzipSource inflated(whole);
    Walk walk(inflated, none);
    Problem problem = firstImage(walk, image);
    return inflated.broken() && !inflated.failed() ? std::string(GzipBroken) : problem;
}

} // namespace

const Recolourer DivRecolourer{"div", apply, preview};

} // namespace corvane::apply
