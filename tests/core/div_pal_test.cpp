#include "div_pal.h"
#include "support.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

int byteAt(std::string_view bytes, std::size_t offset)
{
    return static_cast<unsigned char>(bytes[offset]);
}

TEST(DivReader, StoresEveryLevelTimesFourAndReplacesTheTable)
{
    PaletteTable table;
    KindCaption unused;
    preset(table, unused);
    const std::string file = divFile(countingLevels());
    MemorySource source(file);
    readDivTolerant(source, table);

    ASSERT_EQ(table.entryCount(), 256u);
    EXPECT_EQ(table.entries()[0], (Entry{0, 4, 8}));
    EXPECT_EQ(table.entries()[1], (Entry{12, 16, 20}));
    EXPECT_EQ(table.fetch(21, Red), 252);  // byte 63
    EXPECT_EQ(table.fetch(85, Red), 1020); // byte 255, not clamped
    for (std::size_t i = 0; i < DivLevelBytes; ++i)
        ASSERT_EQ(table.fetch(i / 3, static_cast<int>(i % 3)), static_cast<int>(i % 256) * 4) << "level " << i;
}

TEST(DivReader, ShortFileRepeatsTheLastLevelRead)
{
    // No level byte is 0, so "nothing read yet" is visible.
    std::string levels;
    for (std::size_t i = 0; i < DivLevelBytes; ++i)
        levels.push_back(static_cast<char>(1 + (i * 37) % 250));
    const std::string full = divFile(levels);
    ASSERT_EQ(full.size(), 776u);

    for (std::size_t length = 0; length <= full.size(); ++length) {
        const std::string file = full.substr(0, length);
        const int lastLevel = length > DivLevelOffset ? byteAt(file, length - 1) * 4 : 0;
        PaletteTable table;
        MemorySource source(file);
        readDivTolerant(source, table);
        ASSERT_EQ(table.entryCount(), 256u) << "length " << length;
        for (std::size_t i = 0; i < DivLevelBytes; ++i) {
            const std::size_t offset = DivLevelOffset + i;
            const int expected = offset < length ? byteAt(file, offset) * 4 : lastLevel;
            ASSERT_EQ(table.fetch(i / 3, static_cast<int>(i % 3)), expected) << "length " << length << ", level " << i;
        }
    }
}

TEST(DivReader, IgnoresVersionHeaderTailAndTrailingContent)
{
    const std::string standard = divFile(countingLevels());
    std::string odd = standard;
    odd[4] = 'x';
    odd[6] = '\x7F';
    odd[7] = '\x42'; // version
    odd += "T" + std::string(600, '\xAB');

    PaletteTable expected;
    MemorySource standardSource(standard);
    readDivTolerant(standardSource, expected);
    PaletteTable table;
    MemorySource oddSource(odd);
    readDivTolerant(oddSource, table);
    EXPECT_EQ(table.entries(), expected.entries());

    char next = 0;
    ASSERT_EQ(oddSource.read(&next, 1), 1u);
    EXPECT_EQ(next, 'T') << "the reader went past the last level byte";
}

DivLevels sampleLevels()
{
    DivLevels levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<std::uint8_t>((i * 5) % 64);
    return levels;
}

void expectCommonLayout(const std::string& content, const DivLevels& levels)
{
    EXPECT_EQ(content.substr(0, 8), "pal\x1A\r\n\0\0"s);
    EXPECT_EQ(content.substr(8, 768), std::string(levels.begin(), levels.end()));
    EXPECT_EQ(content.substr(776, 4), "\x10\0\0\x01"s);
}

TEST(DivBuilder, SixteenColourForm)
{
    const DivLevels levels = sampleLevels();
    const std::string content = buildDivContent(levels, windowRangeBlock(ColourIndexList::Colours16));
    ASSERT_EQ(content.size(), 796u);
    expectCommonLayout(content, levels);
    std::string list;
    for (int i = 0; i < 16; ++i)
        list.push_back(static_cast<char>(i));
    EXPECT_EQ(content.substr(780), list);
}

TEST(DivBuilder, TwoHundredFiftySixColourFormIsIjMinusOne)
{
    const DivLevels levels = sampleLevels();
    const std::string content = buildDivContent(levels, windowRangeBlock(ColourIndexList::Colours256));
    ASSERT_EQ(content.size(), 1036u);
    expectCommonLayout(content, levels);
    // Not the running index: i = 2 gives 1, 3, 5, ...; i = 3 gives 2, 5, 8, ...; the
    // list ends 15, 31, ..., 255.
    EXPECT_EQ(content.substr(780, 4), "\x00\x01\x02\x03"s);
    EXPECT_EQ(content.substr(780 + 16, 3), "\x01\x03\x05");
    EXPECT_EQ(content.substr(780 + 32, 3), "\x02\x05\x08");
    EXPECT_EQ(byteAt(content, 780 + 240), 15);
    EXPECT_EQ(byteAt(content, 1035 - 1), 239);
    EXPECT_EQ(byteAt(content, 1035), 255);
}

} // namespace
} // namespace corvane::test
