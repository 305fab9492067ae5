#include "div_pal.h"

namespace corvane {

void readDivTolerant(ByteSource& source, PaletteTable& table)
{
    std::array<unsigned char, DivLevelOffset + DivLevelBytes> bytes{};
    const std::size_t got = readFully(source, reinterpret_cast<char*>(bytes.data()), bytes.size());

    table.resizeClear(DivEntryCount);
    std::int16_t last = 0;
    for (std::size_t i = 0; i < DivLevelBytes; ++i) {
        const std::size_t offset = DivLevelOffset + i;
        if (offset < got)
            last = static_cast<std::int16_t>(bytes[offset] * 4);
        table.store(i / 3, static_cast<int>(i % 3), last);
    }
}

std::vector<std::uint8_t> windowRangeBlock(ColourIndexList form)
{
    std::vector<std::uint8_t> block(DivRangeHeader.begin(), DivRangeHeader.end());
    if (form == ColourIndexList::Colours16) {
        for (int i = 0; i < 16; ++i)
            block.push_back(static_cast<std::uint8_t>(i));
    } else {
        // i * j - 1, not the running index: the list DIV files have always had.
        for (int i = 1; i <= 16; ++i)
            for (int j = 1; j <= 16; ++j)
                block.push_back(static_cast<std::uint8_t>(i * j - 1));
    }
    return block;
}

std::string buildDivContent(const DivLevels& levels, std::span<const std::uint8_t> rangeBlock)
{
    std::string out;
    out.reserve(DivHeader.size() + levels.size() + rangeBlock.size() + 2);
    out.append(DivHeader);
    out.append(reinterpret_cast<const char*>(levels.data()), levels.size());
    out.append(reinterpret_cast<const char*>(rangeBlock.data()), rangeBlock.size());
    return out;
}

} // namespace corvane
