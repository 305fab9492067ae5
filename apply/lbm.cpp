// IFF ILBM and PBM images (Deluxe Paint): the CMAP chunk's colours rewritten
// in place, or the pixels written again with as many planes as the palette
// needs, every other chunk kept.
#include "binary.h"
#include "indexed.h"

namespace corvane::apply {

extern const Recolourer LbmRecolourer;

namespace {

using formats::bigEndian;

constexpr std::size_t HeaderBytes = 12; // "FORM", its size, its type
constexpr std::size_t ChunkHeadBytes = 8;
constexpr std::size_t BitmapHeaderBytes = 20;
constexpr std::size_t PlanesAt = 8, MaskingAt = 9, CompressionAt = 10, TransparentAt = 12;
constexpr std::uint8_t MaskPlane = 1, TransparentColour = 2;
constexpr std::uint8_t ByteRun1 = 1;
constexpr std::uint32_t Ham = 0x800, HalfBrite = 0x80; // CAMG's display modes
constexpr std::size_t MostRun = 128;

const std::string NoPalette = "image IFF sans palette (pas de bloc CMAP)";

struct Chunk {
    std::string_view id;
    std::size_t at = 0; // its data
    std::size_t size = 0;
};

struct Iff {
    std::string_view bytes;
    bool planar = false; // ILBM; PBM has a byte a pixel
    std::vector<Chunk> chunks;
    const Chunk* find(std::string_view id) const
    {
        for (const Chunk& chunk : chunks)
            if (chunk.id == id)
                return &chunk;
        return nullptr;
    }
    [[nodiscard]] const std::uint8_t* at(std::size_t offset) const
    {
        return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
    }
    // The Amiga display modes of CAMG.
    [[nodiscard]] std::uint32_t modes() const
    {
        const Chunk* chunk = find("CAMG");
        return chunk != nullptr && chunk->size >= 4 ? bigEndian(at(chunk->at), 4) : 0;
    }
};

// The chunks, each an id, a big-endian size and its bytes, padded to an even size.
Problem readChunks(std::string_view bytes, Iff& iff)
{
    iff.bytes = bytes;
    const std::string_view type = bytes.substr(std::min<std::size_t>(8, bytes.size()), 4);
    if (bytes.size() < HeaderBytes || !bytes.starts_with("FORM") || (type != "ILBM" && type != "PBM "))
        return std::string("ce n'est pas une image IFF ILBM ou PBM");
    iff.planar = type == "ILBM";
    const std::size_t end = std::min<std::uint64_t>(bytes.size(), std::uint64_t{8} + bigEndian(iff.at(4), 4));
    for (std::size_t at = HeaderBytes; at + ChunkHeadBytes <= end;) {
        const Chunk chunk{bytes.substr(at, 4), at + ChunkHeadBytes, bigEndian(iff.at(at + 4), 4)};
        if (chunk.size > end - chunk.at)
            return chunk.id == "CMAP"
                       ? "le fichier s'arrête dans son bloc CMAP (" + std::to_string(chunk.size) + " octets annoncés)"
                       : "image IFF coupée dans son bloc " + std::string(chunk.id);
        iff.chunks.push_back(chunk);
        at = chunk.at + chunk.size + chunk.size % 2;
    }
    if (iff.find("CMAP") == nullptr)
        return NoPalette;
    return std::nullopt;
}

struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels; // indices into the table
    std::vector<std::uint8_t> mask;   // each line's mask plane, when it has one
    std::vector<Colour> table;
    std::optional<std::size_t> transparent; // BMHD's transparent colour
};

// ByteRun1: a count n then n + 1 bytes as they are, or 1 - n times the next
// byte; -128 nothing. False when the data ends first.
bool unpackRuns(const std::uint8_t*& from, const std::uint8_t* end, std::uint8_t* into, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        if (from == end)
            return false;
        const auto count = static_cast<std::int8_t>(*from++);
        if (count == -128)
            continue;
        const std::size_t run = std::min<std::size_t>(count >= 0 ? count + 1 : 1 - count, size - done);
        if (count >= 0) {
            if (end - from < count + 1)
                return false;
            std::copy_n(from, run, into + done);
            from += count + 1;
        } else {
            if (from == end)
                return false;
            std::fill_n(into + done, run, *from++);
        }
        done += run;
    }
    return true;
}

void packRuns(std::string& out, const std::uint8_t* row, std::size_t size)
{
    for (std::size_t x = 0; x < size;) {
        std::size_t run = 1;
        while (x + run < size && run < MostRun && row[x + run] == row[x])
            ++run;
        if (run >= 3) {
            out.push_back(static_cast<char>(1 - static_cast<int>(run)));
            out.push_back(static_cast<char>(row[x]));
            x += run;
            continue;
        }
        // Bytes as they are, up to the next run of three.
        std::size_t length = 0;
        while (x + length < size && length < MostRun &&
               !(x + length + 2 < size && row[x + length] == row[x + length + 1] &&
                 row[x + length] == row[x + length + 2]))
            ++length;
        out.push_back(static_cast<char>(length - 1));
        out.append(reinterpret_cast<const char*>(row + x), length);
        x += length;
    }
}

// Bytes a line of one plane holds: ILBM's lines are whole 16-bit words, PBM's even.
std::size_t planeBytes(bool planar, std::uint32_t width)
{
    return planar ? (std::size_t{width} + 15) / 16 * 2 : std::size_t{width} + width % 2;
}

Problem readPixels(const Iff& iff, Picture& picture)
{
    const Chunk* header = iff.find("BMHD");
    const Chunk* body = iff.find("BODY");
    if (header == nullptr || header->size < BitmapHeaderBytes || body == nullptr)
        return std::string("image IFF sans pixels (pas de blocs BMHD et BODY)");
    const std::uint8_t* bmhd = iff.at(header->at);
    picture.width = bigEndian(bmhd, 2);
    picture.height = bigEndian(bmhd + 2, 2);
    const std::uint8_t planes = iff.planar ? bmhd[PlanesAt] : 1;
    const bool masked = iff.planar && bmhd[MaskingAt] == MaskPlane;
    if (const std::size_t colour = bigEndian(bmhd + TransparentAt, 2);
        bmhd[MaskingAt] == TransparentColour && colour < 256)
        picture.transparent = colour;
    if (bmhd[CompressionAt] > ByteRun1)
        return "image IFF à la compression inconnue (" + std::to_string(bmhd[CompressionAt]) + ")";
    if (planes == 0 || planes > 8)
        return "image IFF ILBM de " + std::to_string(planes) + " plans : trop pour une palette";

    const std::size_t lineBytes = planeBytes(iff.planar, picture.width);
    const std::size_t lines = std::size_t{planes} + masked;
    const std::size_t bodyBytes = lineBytes * lines * picture.height;
    // A run of 128 bytes takes 2: no more can the data hold.
    if (bodyBytes > body->size * (bmhd[CompressionAt] == ByteRun1 ? MostRun / 2 : 1))
        return "image IFF coupée : " + std::to_string(picture.width) + " × " + std::to_string(picture.height) +
               " pixels annoncés";
    std::vector<std::uint8_t> decoded(bodyBytes);
    const std::uint8_t* from = iff.at(body->at);
    if (bmhd[CompressionAt] == ByteRun1) {
        if (!unpackRuns(from, from + body->size, decoded.data(), decoded.size()))
            return std::string("image IFF coupée dans son bloc BODY");
    } else {
        std::copy_n(from, decoded.size(), decoded.begin());
    }

    std::vector<Colour>& table = picture.table;
    table = tableColours(iff.bytes.data() + iff.find("CMAP")->at, iff.find("CMAP")->size / 3);
    // Extra half-brite: the upper 32 colours are the lower 32 at half their levels.
    if (iff.planar && (iff.modes() & HalfBrite) != 0) {
        table.resize(64);
        for (std::size_t i = 32; i < 64; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                table[i][c] = static_cast<std::int16_t>(table[i - 32][c] / 2);
    }
    picture.pixels.resize(std::size_t{picture.width} * picture.height);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* line = decoded.data() + lineBytes * lines * y;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            unsigned index = 0;
            for (unsigned plane = 0; iff.planar && plane < planes; ++plane)
                index |= ((line[plane * lineBytes + x / 8] >> (7 - x % 8)) & 1u) << plane;
            if (!iff.planar)
                index = line[x];
            picture.pixels[std::size_t{y} * picture.width + x] = static_cast<std::uint8_t>(index);
        }
        if (masked)
            picture.mask.insert(picture.mask.end(), line + planes * lineBytes, line + lines * lineBytes);
    }
    return std::nullopt;
}

void appendChunk(std::string& out, std::string_view id, std::string_view data)
{
    out.append(id);
    formats::appendBigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
    out.append(data);
    if (data.size() % 2 != 0)
        out.push_back('\0');
}

// The body again, plane by plane (ILBM) or a byte a pixel (PBM), in the input's compression.
std::string bodyOf(const Picture& picture, bool planar, int planes, bool packed)
{
    const std::size_t lineBytes = planeBytes(planar, picture.width);
    const std::size_t lines = planar ? planes + !picture.mask.empty() : 1;
    std::string body;
    std::vector<std::uint8_t> line(lineBytes * lines);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        const std::uint8_t* pixels = picture.pixels.data() + std::size_t{y} * picture.width;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            if (!planar)
                line[x] = pixels[x];
            for (int plane = 0; planar && plane < planes; ++plane)
                line[plane * lineBytes + x / 8] |= static_cast<std::uint8_t>(((pixels[x] >> plane) & 1) << (7 - x % 8));
        }
        if (!picture.mask.empty())
            std::copy_n(picture.mask.begin() + static_cast<std::ptrdiff_t>(lineBytes * y), lineBytes,
                        line.begin() + static_cast<std::ptrdiff_t>(lineBytes * planes));
        for (std::size_t part = 0; part < lines; ++part) {
            const std::uint8_t* bytes = line.data() + part * lineBytes;
            if (packed)
                packRuns(body, bytes, lineBytes);
            else
                body.append(reinterpret_cast<const char*>(bytes), lineBytes);
        }
    }
    return body;
}

Problem remap(const Iff& iff, Picture& picture, const Palette& palette, ByteSink& out)
{
    if (iff.planar && (iff.modes() & Ham) != 0)
        return std::string("image IFF ILBM en mode HAM : ses couleurs ne sont pas dans sa palette");
    const std::optional<std::size_t> transparent = picture.transparent;
    Nearest nearest(palette.colours, transparent);
    const std::array<std::uint8_t, 256> to = nearestOf(picture.table, nearest, transparent);
    for (std::uint8_t& pixel : picture.pixels)
        pixel = to[pixel];
    // ILBM: the least planes that hold the palette and the transparent index; PBM: 8.
    const std::size_t count = std::max(std::min<std::size_t>(palette.colours.size(), 256), transparent.value_or(0) + 1);
    const int planes = iff.planar ? bitsFor(count) : 8;
    std::string form(iff.bytes.substr(8, 4));
    for (const Chunk& chunk : iff.chunks) {
        std::string data(iff.bytes.substr(chunk.at, chunk.size));
        if (chunk.id == "BMHD") {
            data[PlanesAt] = static_cast<char>(planes);
        } else if (chunk.id == "CMAP") {
            data.assign(3 * (std::size_t{1} << planes), '\0');
            putPalette(palette, data.data(), std::size_t{1} << planes);
        } else if (chunk.id == "BODY") {
            const bool packed = iff.at(iff.find("BMHD")->at)[CompressionAt] == ByteRun1;
            data = bodyOf(picture, iff.planar, planes, packed);
        } else if (chunk.id == "CAMG" && data.size() >= 4) {
            data[3] = static_cast<char>(data[3] & ~HalfBrite);
        }
        appendChunk(form, chunk.id, data);
    }
    std::string bytes("FORM");
    formats::appendBigEndian(bytes, static_cast<std::uint32_t>(form.size()), 4);
    return written(out, bytes + form);
}

Problem apply(ByteSource& in, const Palette& palette, Mode mode, ByteSink& out, Outcome& outcome)
{
    std::string bytes = readWhole(in);
    Iff iff;
    if (Problem problem = readChunks(bytes, iff))
        return problem;
    // Read in either mode, so that pixels cut short are refused in both.
    Picture picture;
    if (Problem problem = readPixels(iff, picture))
        return problem;
    if (mode == Mode::Remap)
        return remap(iff, picture, palette, out);
    const Chunk& table = *iff.find("CMAP");
    putPalette(palette, bytes.data() + table.at, table.size / 3);
    outcome.tableColours = table.size / 3;
    return written(out, bytes);
}

} // namespace

Problem lbmColours(std::string_view bytes, std::uint32_t& width, std::vector<std::array<std::uint8_t, 4>>& rgba)
{
    Iff iff;
    Picture picture;
    if (Problem problem = readChunks(bytes, iff); problem || (problem = readPixels(iff, picture)))
        return problem;
    width = picture.width;
    rgba.clear();
    for (const std::uint8_t index : picture.pixels) {
        const Colour colour = index < picture.table.size() ? picture.table[index] : Colour{0, 0, 0};
        rgba.push_back({levelByte(colour[Red]), levelByte(colour[Green]), levelByte(colour[Blue]),
                        static_cast<std::uint8_t>(picture.transparent == index ? 0 : 255)});
    }
    return std::nullopt;
}

namespace {

Problem preview(ByteSource& in, Preview& image)
{
    const std::string bytes = readWhole(in);
    std::uint32_t width = 0;
    std::vector<std::array<std::uint8_t, 4>> rgba;
    if (Problem problem = lbmColours(bytes, width, rgba))
        return problem;
    if (Problem problem = image.resize(width, width == 0 ? 0 : rgba.size() / width))
        return problem;
    for (std::size_t i = 0; i < rgba.size(); ++i)
        image.put(i, rgba[i][0], rgba[i][1], rgba[i][2], rgba[i][3]);
    return std::nullopt;
}

} // namespace

const Recolourer LbmRecolourer{"lbm", apply, preview};

} // namespace corvane::apply
