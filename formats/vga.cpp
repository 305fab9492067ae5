#include "format.h"

#include "levels.h"

#include <algorithm>

namespace corvane::formats {

extern const Format VgaFormat;

namespace {

constexpr std::uint8_t MaxLevel = 63;

bool isLevel(char byte)
{
    return static_cast<std::uint8_t>(byte) <= MaxLevel;
}

bool detect(const Head& head)
{
    return head.whole && head.bytes.size() == DivLevelBytes &&
           std::all_of(head.bytes.begin(), head.bytes.end(), isLevel);
}

Problem read(ByteSource& source, Palette& palette)
{
    DivLevels levels;
    if (readFully(source, reinterpret_cast<char*>(levels.data()), levels.size()) < levels.size())
        return std::string("une palette VGA fait 768 octets");
    // Named with --from, bytes above 63 are held times 4, as the DIV reader does,
    // so that what a 6-bit writer copied unchanged reads back.
    palette = Palette{};
    palette.colours = unpackColours(levels.data(), DivEntryCount, 4);
    palette.sixBit = true;
    palette.kind = "Palette VGA brute (768 octets)";
    return std::nullopt;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    DivLevels levels;
    if (Problem problem = sixBitLevels(palette, VgaFormat.maxColours, levels))
        return problem;
    out.assign(reinterpret_cast<const char*>(levels.data()), levels.size());
    return std::nullopt;
}

} // namespace

extern const Format VgaFormat{"vga", ".pal", "VGA", DivEntryCount, 0, detect, read, write};

} // namespace corvane::formats
