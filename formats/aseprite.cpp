// Aseprite's sprites: the palette is a chunk of the first frame.
#include "binary.h"
#include "levels.h"

#include <algorithm>
#include <array>

namespace corvane::formats {
namespace {

constexpr std::size_t HeaderBytes = 128;
constexpr std::size_t FrameHeadBytes = 16;
constexpr std::size_t ChunkHeadBytes = 6; // size (the head included), type
constexpr std::size_t MagicAt = 4;
constexpr std::size_t FrameMagicAt = HeaderBytes + 4;
constexpr std::uint32_t Magic = 0xA5E0;
constexpr std::uint32_t FrameMagic = 0xF1FA;
constexpr std::uint16_t PaletteChunk = 0x2019;
constexpr std::uint16_t OldPaletteChunk = 0x0004;
constexpr std::uint16_t OldSixBitChunk = 0x0011; // levels 0 to 63
constexpr std::size_t OldColours = 256;
constexpr std::size_t PaletteHeadBytes = 20; // size, first and last index, reserved
constexpr std::size_t EntryBytes = 6;        // flags, R, G, B, A
constexpr std::uint16_t HasName = 1;
constexpr std::string_view Kind = "Sprite Aseprite";

Problem cut()
{
    return std::string("le fichier s'arrête dans sa première image");
}

// Reads n bytes of a chunk that has `left` more; false when it or the input ends first.
bool take(ByteSource& source, std::uint32_t& left, std::uint8_t* bytes, std::size_t n)
{
    if (left < n || !readAll(source, bytes, n))
        return false;
    left -= static_cast<std::uint32_t>(n);
    return true;
}

// The old chunks: packets of colours, each after a number of entries kept.
struct OldPalette {
    std::array<PaletteTable::Entry, OldColours> colours{};
    std::size_t count = 0;
};

Problem readOld(ByteSource& source, std::uint32_t size, OldPalette& old)
{
    std::array<std::uint8_t, 2> packets;
    if (!take(source, size, packets.data(), packets.size()))
        return cut();
    std::size_t at = 0;
    for (std::uint32_t p = littleEndian(packets.data(), 2); p > 0; --p) {
        std::array<std::uint8_t, 2> packet;
        if (!take(source, size, packet.data(), packet.size()))
            return cut();
        at += packet[0];
        const std::size_t count = packet[1] == 0 ? OldColours : packet[1];
        if (at + count > OldColours)
            return "ancien bloc de palette de plus de " + std::to_string(OldColours) + " couleurs";
        for (std::size_t k = 0; k < count; ++k) {
            std::array<std::uint8_t, 3> levels;
            if (!take(source, size, levels.data(), levels.size()))
                return cut();
            old.colours[at++] = {levels[0], levels[1], levels[2]};
        }
        old.count = std::max(old.count, at);
    }
    return skip(source, size) ? Problem{} : cut();
}

Problem readPalette(ByteSource& source, std::uint32_t size, Palette& read)
{
    std::array<std::uint8_t, PaletteHeadBytes> head;
    if (!take(source, size, head.data(), head.size()))
        return cut();
    const std::uint32_t count = littleEndian(head.data(), 4);
    const std::uint32_t first = littleEndian(head.data() + 4, 4);
    const std::uint32_t last = littleEndian(head.data() + 8, 4);
    if (count == 0)
        return std::string(NoColour);
    if (count > MaxColours)
        return std::string(TooManyColours);
    if (first > last || last >= count)
        return "palette de " + colourCount(count) + " dont les couleurs " + std::to_string(first) + " à " +
               std::to_string(last) + " changent";
    // Colours the chunk does not give stay black; the alpha is not kept.
    read.colours.assign(count, PaletteTable::Entry{});
    for (std::uint32_t k = first; k <= last; ++k) {
        std::array<std::uint8_t, EntryBytes> entry;
        if (!take(source, size, entry.data(), entry.size()))
            return cut();
        read.colours[k] = {entry[2], entry[3], entry[4]};
        if ((littleEndian(entry.data(), 2) & HasName) == 0)
            continue;
        std::array<std::uint8_t, 2> length;
        if (!take(source, size, length.data(), length.size()))
            return cut();
        const std::uint32_t nameBytes = littleEndian(length.data(), 2);
        if (size < nameBytes || !skip(source, nameBytes))
            return cut();
        size -= nameBytes;
    }
    return std::nullopt;
}

bool detect(const Head& head)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(head.bytes.data());
    return head.bytes.size() >= FrameMagicAt + 2 && littleEndian(data + MagicAt, 2) == Magic &&
           littleEndian(data + FrameMagicAt, 2) == FrameMagic;
}

// The first frame's chunks: how many are left, and the bytes they take.
struct Frame {
    std::uint32_t chunks = 0;
    std::uint64_t bytes = 0;
};

// The file's header and its first frame's, which its chunks follow.
Problem readFrameHead(ByteSource& source, Frame& frame)
{
    std::array<std::uint8_t, HeaderBytes + FrameHeadBytes> header;
    if (!readAll(source, header.data(), header.size()) ||
        !detect({{reinterpret_cast<const char*>(header.data()), header.size()}, true}))
        return std::string("ce n'est pas un sprite Aseprite");
    const std::uint8_t* head = header.data() + HeaderBytes;
    frame.chunks = littleEndian(head + 12, 4);
    if (frame.chunks == 0)
        frame.chunks = littleEndian(head + 6, 2); // files of old versions count them here
    frame.bytes = littleEndian(head, 4);
    if (frame.bytes < FrameHeadBytes)
        return std::string("première image de taille impossible");
    frame.bytes -= FrameHeadBytes;
    return std::nullopt;
}

// The palettes found in the frame's chunks so far. The new chunk wins
// wherever it is in the frame; of the old ones, the 8-bit one.
struct Found {
    std::optional<Palette> palette;
    OldPalette old, oldSixBit;
};

// The frame's next chunk: a palette read, any other chunk passed over.
Problem readChunk(ByteSource& source, Frame& frame, Found& found)
{
    std::array<std::uint8_t, ChunkHeadBytes> chunk;
    if (frame.bytes < chunk.size() || !readAll(source, chunk.data(), chunk.size()))
        return cut();
    const std::uint32_t size = littleEndian(chunk.data(), 4);
    if (size < chunk.size() || size > frame.bytes)
        return "bloc de taille impossible dans la première image";
    --frame.chunks;
    frame.bytes -= size;
    const std::uint32_t body = size - static_cast<std::uint32_t>(chunk.size());
    switch (littleEndian(chunk.data() + 4, 2)) {
    case PaletteChunk: {
        Palette read;
        read.kind = Kind;
        if (Problem refused = readPalette(source, body, read))
            return refused;
        found.palette = std::move(read);
        return std::nullopt;
    }
    case OldPaletteChunk:
        return readOld(source, body, found.old);
    case OldSixBitChunk:
        return readOld(source, body, found.oldSixBit);
    default:
        return skip(source, body) ? Problem{} : cut();
    }
}

// The old chunks' palette, for a frame without the new one.
Problem oldPalette(const Found& found, Palette& palette)
{
    const bool sixBit = found.old.count == 0;
    const OldPalette& old = sixBit ? found.oldSixBit : found.old;
    if (old.count == 0)
        return std::string("sprite sans palette dans sa première image");
    palette = Palette{};
    palette.kind = Kind;
    palette.colours.assign(old.colours.begin(), old.colours.begin() + static_cast<std::ptrdiff_t>(old.count));
    // Held times 4, as a DIV palette's levels are.
    if (sixBit) {
        for (PaletteTable::Entry& colour : palette.colours)
            for (std::int16_t& level : colour)
                level = static_cast<std::int16_t>(level * 4);
        palette.sixBit = true;
    }
    return std::nullopt;
}

Problem read(ByteSource& source, Palette& palette)
{
    Frame frame;
    if (Problem problem = readFrameHead(source, frame))
        return problem;
    Found found;
    while (frame.chunks > 0 && !found.palette)
        if (Problem problem = readChunk(source, frame, found))
            return problem;
    if (!found.palette)
        return oldPalette(found, palette);
    palette = std::move(*found.palette);
    return std::nullopt;
}

} // namespace

extern const Format AsepriteFormat{"aseprite", ".aseprite", "Aseprite", 0, FrameMagicAt + 2, detect, read, nullptr};

} // namespace corvane::formats
