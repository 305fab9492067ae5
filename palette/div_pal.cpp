#include "div_pal.h"

namespace corvane {

std::optional<DivBody> readDivBody(ByteSource& source, DivReading rule)
{
    std::array<unsigned char, DivLevelBytes> levels{};
    const std::size_t got = readFully(source, reinterpret_cast<char*>(levels.data()), levels.size());
    if (rule == DivReading::Strict && got < levels.size())
        return std::nullopt;

    DivBody body;
    std::int16_t last = 0;
    for (std::size_t i = 0; i < DivLevelBytes; ++i) {
        if (i < got)
            last = static_cast<std::int16_t>(levels[i] * 4);
        body.colours[i / 3][i % 3] = last;
    }
    if (rule == DivReading::Strict) {
        DivRanges ranges;
        if (readFully(source, reinterpret_cast<char*>(ranges.data()), ranges.size()) == ranges.size())
            body.ranges = ranges;
    }
    return body;
}

void readDivTolerant(ByteSource& source, PaletteTable& table)
{
    std::array<char, DivLevelOffset> header;
    readFully(source, header.data(), header.size());
    const std::optional<DivBody> body = readDivBody(source, DivReading::Tolerant);
    table.resizeClear(DivEntryCount);
    for (std::size_t k = 0; k < DivEntryCount; ++k)
        table.storeEntry(k, body->colours[k]);
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
