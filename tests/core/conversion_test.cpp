#include "conversion.h"
#include "jasc_pal.h"
#include "load.h"
#include "support.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace corvane::test {
namespace {

// The rule computed independently: c / 4 is exact in a double, nearbyint rounds half to even.
int referenceLevel(int c)
{
    double v = c / 4.0;
    if (v > 0)
        v -= 1;
    return static_cast<int>(std::clamp(std::nearbyint(v), 0.0, 255.0));
}

class LevelRule : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(LevelRule, WorkedValue)
{
    const auto [component, level] = GetParam();
    EXPECT_EQ(divLevel(static_cast<std::int16_t>(component)), level) << "component " << component;
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, LevelRule,
                         testing::Values(std::pair{0, 0}, std::pair{2, 0}, std::pair{3, 0}, std::pair{4, 0},
                                         std::pair{6, 0}, std::pair{7, 1}, std::pair{8, 1}, std::pair{10, 2},
                                         std::pair{14, 2}, std::pair{128, 31}, std::pair{252, 62}, std::pair{254, 62},
                                         std::pair{255, 63}));
// Outside 0..255 the level is saturated.
INSTANTIATE_TEST_SUITE_P(Saturated, LevelRule,
                         testing::Values(std::pair{1, 0}, std::pair{-3, 0}, std::pair{-32768, 0}, std::pair{1022, 254},
                                         std::pair{1023, 255}, std::pair{1025, 255}, std::pair{1026, 255},
                                         std::pair{32767, 255}));

TEST(LevelRule, EverySixteenBitComponentMatchesTheReference)
{
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    for (int c = std::numeric_limits<std::int16_t>::min(); c <= std::numeric_limits<std::int16_t>::max(); ++c)
        ASSERT_EQ(divLevel(static_cast<std::int16_t>(c)), referenceLevel(c)) << "component " << c;
}

std::string levelsOf(const std::string& divContent)
{
    return divContent.substr(DivLevelOffset, DivLevelBytes);
}

int levelAt(const std::string& divContent, std::size_t entry, int component)
{
    return static_cast<unsigned char>(divContent[DivLevelOffset + entry * 3 + static_cast<std::size_t>(component)]);
}

TEST(Conversion, ChosenByAnExactCaseSensitiveCaption)
{
    const auto conversionOf = [](std::string text) {
        KindCaption caption;
        caption.set(std::move(text));
        return conversionFor(caption);
    };
    EXPECT_EQ(conversionOf("Palette DIV Games Studio"), Conversion::DivToJasc);
    EXPECT_EQ(conversionOf("Palette PSP 256 couleurs"), Conversion::Jasc256ToDiv);
    EXPECT_EQ(conversionOf("Palette PSP 16 couleurs"), Conversion::Jasc16ToDiv);
    for (const std::string text :
         {"", "Palette DIV Games Studio ", "palette DIV Games Studio", "Palette DIV Games", " Palette PSP 16 couleurs",
          "Palette PSP 16 Couleurs", "Palette PSP 0256 couleurs", "Palette PSP 255 couleurs", "Palette PSP 64 couleurs",
          "Palette PSP 256 couleurs\r\n", "Type Inconnue"})
        EXPECT_EQ(conversionOf(text), Conversion::None) << '"' << text << '"';
    EXPECT_EQ(conversionOf(std::string("Palette PSP 256 couleurs\0", 25)), Conversion::None);
}

TEST(Conversion, NoneGivesNothing)
{
    EXPECT_EQ(convertPalette(tableOf(Entries(256, Entry{1, 2, 3})), Conversion::None), "");
}

TEST(Conversion, Jasc256ToDiv)
{
    Entries entries(256, Entry{200, 100, 50});
    entries[0] = {0, 0, 0};
    entries[1] = {255, 128, 7};
    const std::string out = convertPalette(tableOf(entries), Conversion::Jasc256ToDiv);
    ASSERT_EQ(out.size(), 1038u);
    EXPECT_EQ(out.substr(0, 8), DivHeader);
    EXPECT_EQ(out.substr(8, 3), std::string(3, '\0'));
    EXPECT_EQ(levelAt(out, 1, Red), 63);
    EXPECT_EQ(levelAt(out, 1, Green), 31);
    EXPECT_EQ(levelAt(out, 1, Blue), 1);
    for (std::size_t n = 2; n < 256; ++n)
        EXPECT_EQ(out.substr(8 + n * 3, 3), "\x31\x18\x0C") << "entry " << n; // (49, 24, 12): 12.5 - 1 goes to 12
    EXPECT_EQ(out.substr(776), buildDivContent(DivLevels{}, ColourIndexList::Colours256).substr(776) + "\r\n");
}

TEST(Conversion, Jasc16ToDivRepeatsTheSixteenEntries)
{
    Entries entries;
    for (int k = 0; k < 16; ++k)
        entries.push_back({static_cast<std::int16_t>(k * 17), static_cast<std::int16_t>(255 - k * 3),
                           static_cast<std::int16_t>(k * 16 + 1)});
    Entries longer = entries; // entries past 15 are never written
    longer.resize(256, Entry{99, 99, 99});
    for (const Entries& table : {entries, longer}) {
        const std::string out = convertPalette(tableOf(table), Conversion::Jasc16ToDiv);
        ASSERT_EQ(out.size(), 798u);
        for (std::size_t n = 0; n < 256; ++n)
            for (int c = Red; c <= Blue; ++c)
                ASSERT_EQ(levelAt(out, n, c), divLevel(entries[n % 16][static_cast<std::size_t>(c)])) << "entry " << n;
        for (std::size_t n = 0; n < 256; n += 16)
            EXPECT_EQ(out.substr(8 + n * 3, 3), out.substr(8, 3)) << "entry " << n;
        EXPECT_EQ(out.substr(776), buildDivContent(DivLevels{}, ColourIndexList::Colours16).substr(776) + "\r\n");
    }
}

TEST(Conversion, EntriesTheTableLacksAreBlack)
{
    const std::string div = convertPalette(tableOf(Entries(16, Entry{255, 255, 255})), Conversion::Jasc256ToDiv);
    EXPECT_EQ(levelsOf(div), std::string(48, '\x3F') + std::string(720, '\0'));
    std::array<Entry, JascPalWrittenEntries> black{};
    EXPECT_EQ(convertPalette(PaletteTable{}, Conversion::DivToJasc), buildJascText(black) + "\r\n");
}

std::vector<std::string> splitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

TEST(Conversion, DivToJascWritesComponentsAsStored)
{
    std::string levels;
    for (std::size_t i = 0; i < DivLevelBytes; ++i)
        levels.push_back(static_cast<char>((i * 11) % 64));
    PaletteTable table;
    KindCaption caption;
    const std::string file = divFile(levels);
    MemorySource source(file);
    ASSERT_EQ(loadPalette(source, table, caption).kind, PaletteKind::Div);
    ASSERT_EQ(conversionFor(caption), Conversion::DivToJasc);

    const std::string text = convertPalette(table, Conversion::DivToJasc);
    ASSERT_TRUE(text.ends_with("\r\n"));
    const std::vector<std::string> lines = splitCrLf(text);
    ASSERT_EQ(lines.size(), 3u + 256u + 1u); // header, entries, nothing after the final CR LF
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 3), (std::vector<std::string>{"JASC-PAL", "0100", "256"}));
    EXPECT_EQ(lines.back(), "");
    for (std::size_t k = 0; k < 256; ++k) {
        const Entry entry = parseEntryLine(lines[3 + k]);
        EXPECT_EQ(entry, table.entries()[k]) << "line " << lines[3 + k];
        for (const std::int16_t c : entry)
            EXPECT_TRUE(c % 4 == 0 && c >= 0 && c <= 252) << "line " << lines[3 + k];
    }
}

TEST(RoundTrip, WrittenDivFileReadsBackAsDiv)
{
    Entries entries;
    for (int k = 0; k < 256; ++k)
        entries.push_back({static_cast<std::int16_t>(k), static_cast<std::int16_t>(255 - k),
                           static_cast<std::int16_t>((k * 13) % 300 - 20)});
    const ScratchDir dir;
    for (const Conversion conversion : {Conversion::Jasc256ToDiv, Conversion::Jasc16ToDiv}) {
        const std::string out = convertPalette(tableOf(entries), conversion);
        PaletteTable table;
        KindCaption caption;
        const LoadResult result = loadPaletteFile(dir.write("written.pal", out), table, caption);
        EXPECT_EQ(result.kind, PaletteKind::Div);
        EXPECT_EQ(result.count, 256);
        EXPECT_EQ(caption.text(), KindCaption::Div);
        ASSERT_EQ(table.entryCount(), 256u);
        for (std::size_t n = 0; n < 256; ++n)
            for (int c = Red; c <= Blue; ++c)
                ASSERT_EQ(table.fetch(n, c), 4 * levelAt(out, n, c)) << "entry " << n;
    }
}

TEST(RoundTrip, DivToJascToDivLosesOneLevel)
{
    // Every byte value, the non-standard ones above 63 included.
    const std::string levels = countingLevels();
    PaletteTable table;
    KindCaption caption;
    const std::string file = divFile(levels);
    MemorySource div(file);
    loadPalette(div, table, caption);
    const std::string jasc = convertPalette(table, conversionFor(caption));

    MemorySource text(jasc);
    const LoadResult result = loadPalette(text, table, caption);
    EXPECT_EQ(result.kind, PaletteKind::JascPal);
    EXPECT_EQ(result.count, 256);
    ASSERT_EQ(conversionFor(caption), Conversion::Jasc256ToDiv);
    const std::string back = convertPalette(table, conversionFor(caption));
    ASSERT_EQ(back.size(), 1038u);
    for (std::size_t i = 0; i < DivLevelBytes; ++i) {
        const int d = static_cast<unsigned char>(levels[i]);
        ASSERT_EQ(static_cast<unsigned char>(back[DivLevelOffset + i]), std::max(d - 1, 0)) << "level " << i;
    }
}

} // namespace
} // namespace corvane::test
