#include "binary.h"
#include "format.h"

#include "levels.h"

#include <array>

namespace corvane::formats {

extern const Format ActFormat;

namespace {

constexpr std::size_t TableBytes = 768;
// A count and a transparent index, both big-endian, after a table of fewer colours.
constexpr std::size_t CountedBytes = TableBytes + 4;

bool detect(const Head& head)
{
    return head.whole && (head.bytes.size() == TableBytes || head.bytes.size() == CountedBytes);
}

Problem read(ByteSource& source, Palette& palette)
{
    // One byte more than the largest table tells a longer file apart.
    std::array<std::uint8_t, CountedBytes + 1> bytes;
    const std::size_t size = readFully(source, reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (size != TableBytes && size != CountedBytes)
        return std::string("une table de couleurs Adobe fait 768 ou 772 octets");
    std::size_t count = TableBytes / 3;
    if (size == CountedBytes) {
        count = bigEndian(bytes.data() + TableBytes, 2);
        if (count < 1 || count > TableBytes / 3)
            return "nombre de couleurs " + std::to_string(count) + " hors de 1 à 256";
    }
    palette = Palette{};
    palette.colours = unpackColours(bytes.data(), count);
    palette.kind = "Table de couleurs Adobe";
    return std::nullopt;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    if (Problem problem = checkEightBit(palette, ActFormat.maxColours))
        return problem;
    const std::size_t count = palette.colours.size();
    out.assign(TableBytes, '\0');
    packColours(palette.colours, out.data());
    if (count < TableBytes / 3) {
        appendBigEndian(out, static_cast<std::uint32_t>(count), 2);
        out += "\xFF\xFF";
    }
    return std::nullopt;
}

} // namespace

extern const Format ActFormat{"act", ".act", "Adobe", TableBytes / 3, 0, detect, read, write};

} // namespace corvane::formats
