#include "conversion.h"
#include "jasc_pal.h"
#include "load.h"
#include "support.h"

namespace corvane::test {
namespace {

struct JascRead {
    std::string count;
    PaletteTable table;
    KindCaption caption;
};

// Reads after an earlier load, so that a kept table is visible.
JascRead readJasc(std::string_view text)
{
    JascRead read;
    preset(read.table, read.caption);
    MemorySource source(text);
    read.count = readJascPal(source, read.table, read.caption).text;
    return read;
}

std::string entryLine(const Entry& e)
{
    return std::to_string(e[0]) + " " + std::to_string(e[1]) + " " + std::to_string(e[2]);
}

TEST(JascReader, Standard256AndSixteenEntryFiles)
{
    for (const std::size_t n : {256u, 16u}) {
        Entries entries;
        std::vector<std::string> lines;
        for (std::size_t k = 0; k < n; ++k) {
            entries.push_back({static_cast<std::int16_t>(k), static_cast<std::int16_t>(255 - k),
                               static_cast<std::int16_t>((k * 7) % 256)});
            lines.push_back(entryLine(entries.back()));
        }
        const JascRead read = readJasc(jascText(std::to_string(n), lines));
        EXPECT_EQ(read.count, std::to_string(n));
        EXPECT_EQ(read.caption.text(), n == 256 ? KindCaption::Psp256 : KindCaption::Psp16);
        EXPECT_EQ(read.table.entries(), entries);
    }
}

TEST(JascReader, VersionLineIsNeverExamined)
{
    const JascRead read = readJasc("JASC-PAL\r\nnot a version\r\n16\r\n255 0 0\r\n");
    EXPECT_EQ(read.caption.text(), KindCaption::Psp16);
    ASSERT_EQ(read.table.entryCount(), 16u);
    EXPECT_EQ(read.table.entries()[0], (Entry{255, 0, 0}));
}

struct CountCase {
    const char* name;
    std::string count;
    std::size_t entries; // 0: the earlier table is kept
    std::optional<std::int16_t> value;
    Conversion conversion;
};

class JascCount : public testing::TestWithParam<CountCase> {};

TEST_P(JascCount, SizesTheTableAndAlwaysSetsTheCaption)
{
    const CountCase& c = GetParam();
    const std::string text = jascText(c.count, std::vector<std::string>(300, "1 2 3"));
    const JascRead read = readJasc(text);
    EXPECT_EQ(read.count, c.count);
    EXPECT_EQ(read.caption.text(), "Palette PSP " + c.count + " couleurs");
    EXPECT_EQ(conversionFor(read.caption), c.conversion);
    const Entries expected = c.entries == 0 ? presetEntries() : Entries(c.entries, Entry{1, 2, 3});
    EXPECT_EQ(read.table.entries(), expected);

    PaletteTable table;
    KindCaption caption;
    preset(table, caption);
    MemorySource source(text);
    const LoadResult result = loadPalette(source, table, caption);
    EXPECT_EQ(result.kind, PaletteKind::JascPal);
    EXPECT_EQ(result.countText, c.count);
    EXPECT_EQ(result.count, c.value);
    EXPECT_EQ(table.entries(), read.table.entries());
    EXPECT_EQ(caption.text(), read.caption.text());
}

INSTANTIATE_TEST_SUITE_P(Counts, JascCount,
                         testing::Values(CountCase{"Count256", "256", 256, 256, Conversion::Jasc256ToDiv},
                                         CountCase{"Count16", "16", 16, 16, Conversion::Jasc16ToDiv},
                                         CountCase{"LeadingZero", "0256", 256, 256, Conversion::None},
                                         CountCase{"Count255", "255", 255, 255, Conversion::None},
                                         CountCase{"Count1", "1", 1, 1, Conversion::None},
                                         CountCase{"BlanksAround", " 16\t", 16, 16, Conversion::None},
                                         CountCase{"Zero", "0", 0, 0, Conversion::None},
                                         CountCase{"Negative", "-5", 0, -5, Conversion::None},
                                         CountCase{"Minimum", "-32768", 0, -32768, Conversion::None},
                                         CountCase{"Letters", "abc", 0, std::nullopt, Conversion::None},
                                         CountCase{"Empty", "", 0, std::nullopt, Conversion::None},
                                         CountCase{"NumberThenWord", "16 couleurs", 0, std::nullopt, Conversion::None},
                                         CountCase{"Hex", "0x10", 0, std::nullopt, Conversion::None},
                                         CountCase{"Beyond16Bits", "40000", 0, std::nullopt, Conversion::None},
                                         CountCase{"Huge", "99999999999", 0, std::nullopt, Conversion::None}),
                         ByName{});

TEST(JascReader, NumbersComeFromTheWholeOfLongLines)
{
    for (const std::size_t length : {std::size_t{5000}, std::size_t{100000}}) {
        // A line of `length` bytes: head, the filler repeated, tail.
        const auto line = [length](const std::string& head, char filler, const std::string& tail) {
            return head + std::string(length - head.size() - tail.size(), filler) + tail;
        };
        const struct {
            const char* name;
            std::string count;
            std::string entry;
            std::optional<std::int16_t> value;
            Entry expected;
        } cases[] = {
            {"count after zeros", line("", '0', "16"), "1 2 3", 16, {1, 2, 3}},
            {"count after blanks", line("", ' ', "16\t"), "1 2 3", 16, {1, 2, 3}},
            {"count beyond 16 bits", line("1", '0', ""), "1 2 3", std::nullopt, {}},
            {"count then a word", line("16", ' ', "x"), "1 2 3", std::nullopt, {}},
            {"blue after zeros", "16", line("0 0 ", '0', "255"), 16, {0, 0, 255}},
            {"red after blanks", "16", line("", ' ', "4 5 6"), 16, {4, 5, 6}},
            {"blue after blanks", "16", line("1 2", '\t', "3 "), 16, {1, 2, 3}},
            {"green after zeros", "16", line("1 ", '0', "2 3"), 16, {1, 2, 3}},
            {"fourth field far off", "16", line("1 2 3", ' ', "4"), 16, {1, 2, 0}},
            {"red no number", "16", line("x", '0', " 5 6"), 16, {0, 5, 6}},
            {"count of NUL bytes", line("", '\0', ""), "1 2 3", std::nullopt, {}},
            {"line of letters", "16", line("", 'x', ""), 16, {0, 0, 0}},
            {"blue beyond 16 bits", "16", line("1 2 ", '9', ""), 16, {1, 2, 0}},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << length << " bytes");
            const std::string text = jascText(c.count, {c.entry, "7 8 9"});
            MemorySource memory(text);
            TrickleSource trickle(text);
            for (ByteSource* source : {static_cast<ByteSource*>(&memory), static_cast<ByteSource*>(&trickle)}) {
                PaletteTable table;
                KindCaption caption;
                const auto count = readJascPal(*source, table, caption);
                EXPECT_EQ(count.value, c.value);
                EXPECT_EQ(count.text, c.count.substr(0, MaxCountTextLength)) << "only the caption is cut";
                EXPECT_EQ(caption.text(), "Palette PSP " + count.text + " couleurs");
                ASSERT_EQ(table.entryCount(), c.value ? 16u : 0u);
                if (c.value) {
                    EXPECT_EQ(table.entries()[0], c.expected);
                    EXPECT_EQ(table.entries()[1], (Entry{7, 8, 9})) << "the next line starts where the long one ends";
                }
            }
        }
    }
}

TEST(JascReader, MissingEntryLinesAreBlack)
{
    PaletteTable table = tableOf(Entries(5, Entry{9, 9, 9}));
    KindCaption caption;
    const std::string text = jascText("5", {"10 20 30", "40 50 60"});
    MemorySource source(text);
    readJascPal(source, table, caption);
    EXPECT_EQ(table.entries(), (Entries{{10, 20, 30}, {40, 50, 60}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
}

TEST(JascReader, EndOfTextByteEndsTheEntries)
{
    const JascRead read = readJasc("JASC-PAL\r\n0100\r\n2\r\n1 2 3\x1A\r\n4 5 6\r\n");
    EXPECT_EQ(read.table.entries(), (Entries{{1, 2, 3}, {0, 0, 0}}));
}

struct FieldCase {
    const char* name;
    std::string line;
    Entry entry;
};

class EntryLine : public testing::TestWithParam<FieldCase> {};

TEST_P(EntryLine, SplitsAtRunsOfBlanks)
{
    const FieldCase& c = GetParam();
    EXPECT_EQ(parseEntryLine(c.line), c.entry);
    const JascRead read = readJasc(jascText("1", {c.line}));
    EXPECT_EQ(read.table.entries(), Entries{c.entry});
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EntryLine,
    testing::Values(
        FieldCase{"SingleSpaces", "255 0 0", {255, 0, 0}}, FieldCase{"TrailingSpace", "255 0 0 ", {255, 0, 0}},
        FieldCase{"TrailingTab", "10 20 30\t", {10, 20, 30}}, FieldCase{"TwoSpaces", "10  20 30", {10, 20, 30}},
        FieldCase{"LeadingSpace", " 10 20 30", {10, 20, 30}}, FieldCase{"Tabs", "10\t20\t30", {10, 20, 30}},
        FieldCase{"MixedBlanks", "\t 10 \t20  \t 30", {10, 20, 30}}, FieldCase{"FourFields", "1 2 3 4", {1, 2, 0}},
        FieldCase{"TwoFields", "10 20", {10, 20, 0}}, FieldCase{"OneField", "10", {10, 0, 0}},
        FieldCase{"EmptyLine", "", {0, 0, 0}}, FieldCase{"OnlyBlanks", " \t ", {0, 0, 0}},
        FieldCase{"WordInRed", "a 20 30", {0, 20, 30}}, FieldCase{"WordInGreen", "10 2x 30", {10, 0, 30}},
        FieldCase{"Extremes", "-5 -32768 32767", {-5, -32768, 32767}},
        FieldCase{"OutOfRange", "32768 -32769 7", {0, 0, 7}}, FieldCase{"LeadingZeros", "007 0255 0", {7, 255, 0}},
        FieldCase{"LoneLfInLine", "1 2\n3", {1, 0, 0}}, FieldCase{"Decimal", "1.5 2 3", {0, 2, 3}},
        FieldCase{"RedBeyond16Bits", "40000 1 2", {0, 1, 2}}),
    ByName{});

TEST(JascReader, IntegerRule)
{
    const std::vector<std::pair<std::string, int>> numbers{{"0", 0},     {"-32768", -32768}, {"32767", 32767},
                                                           {" 12 ", 12}, {"\t12\t", 12},     {"0256", 256},
                                                           {"-0", 0},    {"+7", 7},          {"0000000042", 42}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(parseInt16(text), value) << '"' << text << '"';
    for (const char* text : {"32768", "-32769", "", " ", "-", "1 2", "12a", "abc", "40000", "99999999999", "1e2"})
        EXPECT_EQ(parseInt16(text), std::nullopt) << '"' << text << '"';
}

TEST(JascBuilder, AllEntriesTheSame)
{
    std::array<Entry, JascPalWrittenEntries> entries{};
    entries.fill(Entry{0, 4, 8});
    std::string expected = "JASC-PAL\r\n0100\r\n256";
    for (int k = 0; k < 256; ++k)
        expected += "\r\n0 4 8";
    EXPECT_EQ(buildJascText(entries), expected);
}

TEST(JascBuilder, PlainDecimalWithSignOnlyWhenNegative)
{
    std::array<Entry, JascPalWrittenEntries> entries{};
    entries[0] = {-1, -32768, 32767};
    entries[1] = {1020, 0, 7};
    entries[255] = {255, 10, 100};
    const std::string text = buildJascText(entries);
    EXPECT_TRUE(text.starts_with("JASC-PAL\r\n0100\r\n256\r\n-1 -32768 32767\r\n1020 0 7\r\n0 0 0\r\n"));
    EXPECT_TRUE(text.ends_with("\r\n0 0 0\r\n255 10 100"));
}

TEST(KindCaption, StartsEmptyAndBuildsFromTheCountAsWritten)
{
    EXPECT_EQ(KindCaption{}.text(), "");
    EXPECT_EQ(KindCaption::forJascCount("256"), KindCaption::Psp256);
    EXPECT_EQ(KindCaption::forJascCount("16"), KindCaption::Psp16);
    EXPECT_EQ(KindCaption::forJascCount(" 0256 "), "Palette PSP  0256  couleurs");
}

} // namespace
} // namespace corvane::test
