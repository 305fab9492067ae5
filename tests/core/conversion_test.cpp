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

using namespace std::string_literals;

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
    EXPECT_EQ(out.substr(0, 8), "pal\x1A\r\n\0\0"s);
    EXPECT_EQ(out.substr(8, 3), std::string(3, '\0'));
    EXPECT_EQ(levelAt(out, 1, Red), 63);
    EXPECT_EQ(levelAt(out, 1, Green), 31);
    EXPECT_EQ(levelAt(out, 1, Blue), 1);
    for (std::size_t n = 2; n < 256; ++n)
        EXPECT_EQ(out.substr(8 + n * 3, 3), "\x31\x18\x0C") << "entry " << n; // (49, 24, 12): 12.5 - 1 goes to 12
    EXPECT_EQ(out.substr(776, 20), "\x10\0\0\x01\0\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F"s);
    EXPECT_TRUE(out.ends_with("\x0F\x1F\x2F\x3F\x4F\x5F\x6F\x7F\x8F\x9F\xAF\xBF\xCF\xDF\xEF\xFF\r\n"s));
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
        // (0, 255, 1), (17, 252, 17) and (255, 210, 241), worked out by hand.
        for (std::size_t n = 0; n < 256; n += 16) {
            EXPECT_EQ(out.substr(8 + n * 3, 3), "\0\x3F\0"s) << "entry " << n;
            EXPECT_EQ(out.substr(8 + (n + 1) * 3, 3), "\x03\x3E\x03") << "entry " << n + 1;
            EXPECT_EQ(out.substr(8 + (n + 15) * 3, 3), "\x3F\x34\x3B") << "entry " << n + 15;
        }
        EXPECT_EQ(out.substr(776), "\x10\0\0\x01\0\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\r\n"s);
    }
}

TEST(Conversion, EntriesTheTableLacksAreBlack)
{
    const std::string div = convertPalette(tableOf(Entries(16, Entry{255, 255, 255})), Conversion::Jasc256ToDiv);
    EXPECT_EQ(levelsOf(div), std::string(48, '\x3F') + std::string(720, '\0'));
    std::string black = "JASC-PAL\r\n0100\r\n256\r\n";
    for (int k = 0; k < 256; ++k)
        black += "0 0 0\r\n";
    EXPECT_EQ(convertPalette(PaletteTable{}, Conversion::DivToJasc), black);
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

    // Levels (i * 11) mod 64, times 4, worked out by hand for the first and last entries.
    const std::string text = convertPalette(table, Conversion::DivToJasc);
    EXPECT_TRUE(text.starts_with("JASC-PAL\r\n0100\r\n256\r\n0 44 88\r\n132 176 220\r\n")) << text.substr(0, 60);
    EXPECT_TRUE(text.ends_with("\r\n124 168 212\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 256);
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
        EXPECT_EQ(table.entryCount(), 256u);
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
