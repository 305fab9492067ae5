#include "support.h"
#include "text_lines.h"

#include <algorithm>

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::vector<std::string> readLines(ByteSource& source)
{
    LineReader reader(source);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    EXPECT_FALSE(reader.next(line)) << "the end of text must stay the end";
    return lines;
}

struct LineCase {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
};

class LineRule : public testing::TestWithParam<LineCase> {};

TEST_P(LineRule, SplitsAtCrAndStopsAt1A)
{
    const LineCase& c = GetParam();
    MemorySource memory(c.input);
    EXPECT_EQ(readLines(memory), c.lines);
    TrickleSource trickle(c.input);
    EXPECT_EQ(readLines(trickle), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineRule,
    testing::Values(LineCase{"CrOnly", "a\rb\r", {"a", "b"}}, LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    LineCase{"LoneLfIsOrdinary", "a\nb\r\nc", {"a\nb", "c"}},
                    LineCase{"LfAfterCrLfStartsNextLine", "a\r\n\nb", {"a", "\nb"}},
                    LineCase{"CrCrLfIsAnEmptyLine", "a\r\r\nb", {"a", "", "b"}},
                    LineCase{"NoFinalLineEnd", "abc", {"abc"}}, LineCase{"OnlyALineEnd", "\r\n", {""}},
                    LineCase{"EofInterruptsLine", "ab\x1A"s + "cd\r\nef\r\n", {"ab"}},
                    LineCase{"EofAtLineStart", "ab\r\n\x1A"s + "cd\r\n", {"ab"}},
                    LineCase{"EofBetweenCrAndLf", "ab\r\x1A\ncd", {"ab"}}, LineCase{"EmptyFile", "", {}},
                    LineCase{"FirstByteIsEof", "\x1A"s + "abc\r\n", {}}, LineCase{"OnlyEof", "\x1A\x1A", {}},
                    LineCase{"NulIsOrdinary", "a\0b\r\n"s, {"a\0b"s}}),
    ByName{});

TEST(LineRule, LongLinesAreCutAtTheCapAndTheRestSkipped)
{
    constexpr std::size_t cap = LineReader::MaxLineLength;
    ASSERT_EQ(cap, 4096u);
    for (const std::size_t length : {cap - 1, cap, cap + 1, std::size_t{10000}, std::size_t{40000}}) {
        const std::string input = std::string(length, 'x') + "\r\nnext\x1A" + "after";
        const std::vector<std::string> expected{std::string(std::min(length, cap), 'x'), "next"};
        MemorySource memory(input);
        EXPECT_EQ(readLines(memory), expected) << "length " << length;
        TrickleSource trickle(input);
        EXPECT_EQ(readLines(trickle), expected) << "length " << length;
    }
    // 0x1A still ends the text when it lies in the skipped part of a long line.
    const std::string cutByEof = std::string(5000, 'y') + "\x1A\r\nmore\r\n";
    MemorySource memory(cutByEof);
    EXPECT_EQ(readLines(memory), std::vector<std::string>{std::string(cap, 'y')});
}

struct KindCase {
    const char* name;
    std::string bytes;
    PaletteKind kind;
};

class KindDetection : public testing::TestWithParam<KindCase> {};

TEST_P(KindDetection, EveryEntryPointAgreesWithTheFirstLine)
{
    const KindCase& c = GetParam();
    EXPECT_EQ(detectKind(std::string_view(c.bytes)), c.kind);
    MemorySource memory(c.bytes);
    EXPECT_EQ(detectKind(memory), c.kind);
    TrickleSource trickle(c.bytes);
    EXPECT_EQ(detectKind(trickle), c.kind);
    const ScratchDir dir;
    EXPECT_EQ(detectKindFile(dir.write("palette.pal", c.bytes)), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KindDetection,
    testing::Values(KindCase{"JascCrLf", "JASC-PAL\r\n0100\r\n16\r\n", PaletteKind::JascPal},
                    KindCase{"JascCrOnly", "JASC-PAL\r0100\r", PaletteKind::JascPal},
                    KindCase{"JascAloneAtEof", "JASC-PAL", PaletteKind::JascPal},
                    KindCase{"JascThenEof", "JASC-PAL\x1A", PaletteKind::JascPal},
                    KindCase{"JascLoneLf", "JASC-PAL\n0100\n16\n", PaletteKind::Unknown},
                    KindCase{"JascTrailingSpace", "JASC-PAL \r\n", PaletteKind::Unknown},
                    KindCase{"JascLowerCase", "jasc-pal\r\n", PaletteKind::Unknown},
                    KindCase{"JascWithBom", "\xEF\xBB\xBFJASC-PAL\r\n", PaletteKind::Unknown},
                    KindCase{"JascLeadingSpace", " JASC-PAL\r\n", PaletteKind::Unknown},
                    KindCase{"JascLonger", "JASC-PALX\r\n", PaletteKind::Unknown},
                    KindCase{"JascOnSecondLine", "\r\nJASC-PAL\r\n", PaletteKind::Unknown},
                    KindCase{"DivHeader", "pal\x1A\r\n\0\0"s + std::string(768, '\x3F'), PaletteKind::Div},
                    KindCase{"PalCrLf", "pal\r\n", PaletteKind::Div},
                    KindCase{"PalAloneAtEof", "pal", PaletteKind::Div},
                    KindCase{"PalUpperCaseEof", "PAL\x1A", PaletteKind::Unknown},
                    KindCase{"PalLoneLf", "pal\n", PaletteKind::Unknown},
                    KindCase{"PalLonger", "palx\x1A", PaletteKind::Unknown}, KindCase{"Pa", "pa", PaletteKind::Unknown},
                    KindCase{"EmptyFile", "", PaletteKind::Unknown}, KindCase{"OnlyEof", "\x1A", PaletteKind::Unknown},
                    KindCase{"EofThenJasc", "\x1AJASC-PAL\r\n", PaletteKind::Unknown},
                    KindCase{"LongFirstLine", std::string(5000, 'p') + "\r\n", PaletteKind::Unknown}),
    ByName{});

TEST(KindDetection, FileThatCannotBeOpenedIsUnknown)
{
    const ScratchDir dir;
    EXPECT_EQ(detectKindFile(dir.path() / "absent.pal"), PaletteKind::Unknown);
}

} // namespace
} // namespace corvane::test
