#include "palette_kind.h"
#include "support.h"

namespace corvane::test {
namespace {

using namespace std::string_literals;

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

} // namespace
} // namespace corvane::test
