#include "support.h"
#include "text_lines.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

// Whole lines, joined from their pieces.
std::vector<std::string> readLines(ByteSource& source)
{
    LineReader reader(source, corvane::LineRule::Window);
    std::vector<std::string> lines;
    std::string_view piece;
    bool lineEnds = true;
    bool endedLine = true;
    while (reader.next(piece, lineEnds)) {
        EXPECT_TRUE(lineEnds || !piece.empty()) << "only the last piece of a line may be empty";
        EXPECT_EQ(piece.find_first_of(std::string_view("\r\x1A", 2)), std::string_view::npos);
        if (endedLine)
            lines.emplace_back();
        lines.back().append(piece);
        endedLine = lineEnds;
    }
    EXPECT_TRUE(endedLine) << "the end of the text ends the last line";
    EXPECT_FALSE(reader.next(piece, lineEnds)) << "the end of text must stay the end";
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

TEST(LineRule, LongLinesComeWholeAcrossRefills)
{
    for (const std::size_t length : {std::size_t{16383}, std::size_t{16384}, std::size_t{16385}, std::size_t{40000}}) {
        const std::string input = std::string(length, 'x') + "\r\nnext\x1A" + "after";
        const std::vector<std::string> expected{std::string(length, 'x'), "next"};
        MemorySource memory(input);
        EXPECT_EQ(readLines(memory), expected) << "length " << length;
    }
    // A CR first in a refill ends the line as an empty last piece; the LF
    // after it is still the line end's.
    const std::string crAfterRefill = std::string(16384, 'y') + "\r\nz";
    MemorySource memory(crAfterRefill);
    EXPECT_EQ(readLines(memory), (std::vector<std::string>{std::string(16384, 'y'), "z"}));
}

} // namespace
} // namespace corvane::test
