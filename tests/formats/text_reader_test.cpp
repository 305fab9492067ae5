#include "samples.h"
#include "support.h"
#include "text_reader.h"

#include <cstring>

namespace corvane::formats {
namespace {

using namespace std::string_literals;
using test::PrintTo;

// Each line read, with its number and whether it was cut, as "N:TEXT" or "N:TEXT…".
std::vector<std::string> linesOf(ByteSource& source)
{
    TextReader reader(source);
    std::vector<std::string> lines;
    while (reader.next())
        lines.push_back(std::to_string(reader.number()) + ":" + std::string(reader.line()) + (reader.cut() ? "…" : ""));
    EXPECT_FALSE(reader.next()); // and stays at the end
    return lines;
}

struct LineCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class TextLines : public testing::TestWithParam<LineCase> {};

TEST_P(TextLines, SplitAtEveryLineEndAcrossEveryBufferEdge)
{
    const LineCase& c = GetParam();
    test::throughEverySource(c.text, [&](ByteSource& source) { EXPECT_EQ(linesOf(source), c.lines); });
}

const std::string Kept(TextReader::KeptBytes, 'a');
// The reader's buffer is 64 KiB: a line end placed on its last byte.
const std::string ToEdge(65535, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLines,
    testing::Values(LineCase{"Mixed", "a\r\n\nb\r\rc\n\r", {"1:a", "2:", "3:b", "4:", "5:c", "6:"}},
                    LineCase{"LfCrIsTwoEnds", "a\n\rb", {"1:a", "2:", "3:b"}},
                    LineCase{"LastLineWithoutEnd", "a\nbc", {"1:a", "2:bc"}}, LineCase{"Empty", "", {}},
                    LineCase{"OnlyAnEnd", "\r\n", {"1:"}}, LineCase{"NulAnd1AAreOrdinary", "a\0\x1A"s, {"1:a\0\x1A"s}},
                    LineCase{"Bom", "\xEF\xBB\xBFJASC-PAL\r\n\xEF\xBB\xBF", {"1:JASC-PAL", "2:\xEF\xBB\xBF"}},
                    LineCase{"BomAlone", "\xEF\xBB\xBF", {"1:"}},
                    LineCase{"LongLineCut", Kept + "bc\nd", {"1:" + Kept + "…", "2:d"}},
                    LineCase{"ExactlyKeptIsWhole", Kept + "\n", {"1:" + Kept}},
                    LineCase{"CrLfAcrossBufferEdge", ToEdge + "\r\nb", {"1:" + Kept + "…", "2:b"}},
                    LineCase{"CrAtBufferEdgeThenText", ToEdge + "\rb", {"1:" + Kept + "…", "2:b"}},
                    LineCase{"CrAtTheVeryEnd", ToEdge + "\r", {"1:" + Kept + "…"}}),
    test::ByName{});

// Gives `size` bytes of 'x', then `tail`, without holding them.
class LongSource final : public ByteSource {
public:
    LongSource(std::size_t size, std::string_view tail) : left_(size), tail_(tail) {}
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::size_t filler = std::min(n, left_);
        std::memset(buf, 'x', filler);
        left_ -= filler;
        return filler > 0 ? filler : tail_.read(buf, n);
    }

private:
    std::size_t left_;
    MemorySource tail_;
};

TEST(TextReader, PassesAGibibyteLineKeepingOnlyItsStart)
{
    LongSource source(std::size_t{1} << 30, "\r\nfin");
    EXPECT_EQ(linesOf(source),
              (std::vector<std::string>{"1:" + std::string(TextReader::KeptBytes, 'x') + "…", "2:fin"}));
}

TEST(TextReader, WhereQuotesTheLineAsWrittenAndShownSafely)
{
    const std::string text = "ok\n\t1 2\\3\x7F\n"
                             "caf\xC3\xA9 \xE9t\xC3\n" +
                             std::string(39, 'b') + "\xC3\xA9z\n" + std::string(2000, 'c');
    MemorySource source(text);
    TextReader reader(source);
    const std::vector<std::string> expected{
        "ligne 1 « ok »",
        R"(ligne 2 « \x091 2\\3\x7F »)",
        "ligne 3 « caf\xC3\xA9 \\xE9t\\xC3 »",
        "ligne 4 « " + std::string(39, 'b') + "… »", // not half a character
        "ligne 5 « " + std::string(40, 'c') + "… »",
    };
    for (const std::string& where : expected) {
        ASSERT_TRUE(reader.next());
        EXPECT_EQ(reader.where(), where);
    }
}

} // namespace
} // namespace corvane::formats
