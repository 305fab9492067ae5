// IFF ILBM and PBM images (Deluxe Paint): the palette is the CMAP chunk.
#include "binary.h"
#include "messages.h"
#include "palette_building.h"

#include <array>

namespace corvane::formats {
namespace {

constexpr std::size_t HeaderBytes = 12; // "FORM", its size, its type
constexpr std::size_t ChunkHeadBytes = 8;
constexpr std::string_view Form = "FORM";

std::string_view typeOf(std::string_view header)
{
    return header.substr(8, 4);
}

bool detect(const Head& head)
{
    return head.bytes.size() >= HeaderBytes && head.bytes.starts_with(Form) &&
           (typeOf(head.bytes) == "ILBM" || typeOf(head.bytes) == "PBM ");
}

Problem read(ByteSource& source, Palette& palette)
{
    std::array<char, HeaderBytes> header;
    const std::size_t got = readFully(source, header.data(), header.size());
    if (!detect({{header.data(), got}, true}))
        return std::string("ce n'est pas une image IFF ILBM ou PBM");
    const bool planar = typeOf({header.data(), header.size()}) == "ILBM";
    // Chunks follow, each an id, a big-endian size and its bytes, padded to an
    // even size; the image's BODY comes after its CMAP.
    for (;;) {
        std::array<std::uint8_t, ChunkHeadBytes> chunk;
        const std::string_view id(reinterpret_cast<const char*>(chunk.data()), 4);
        if (!readAll(source, chunk.data(), chunk.size()) || id == "BODY")
            return std::string("image IFF sans palette (pas de bloc CMAP)");
        const std::uint32_t size = bigEndian(chunk.data() + 4, 4);
        if (id != "CMAP") {
            if (!skip(source, std::uint64_t{size} + size % 2))
                return std::string("image IFF sans palette (pas de bloc CMAP)");
            continue;
        }
        const std::size_t count = size / 3;
        if (count > MaxColours)
            return std::string(TooManyColours);
        Palette read;
        read.kind = planar ? "Image IFF ILBM" : "Image IFF PBM";
        read.colours.resize(count);
        for (PaletteTable::Entry& colour : read.colours) {
            std::array<std::uint8_t, 3> levels;
            if (!readAll(source, levels.data(), levels.size()))
                return "le fichier s'arrête dans son bloc CMAP (" + std::to_string(size) + " octets annoncés)";
            colour = {levels[0], levels[1], levels[2]};
        }
        return handOver(read, palette);
    }
}

} // namespace

extern const Format LbmFormat{"lbm", ".lbm", "IFF ILBM", 0, HeaderBytes, detect, read, nullptr};

} // namespace corvane::formats
