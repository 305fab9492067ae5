#include "jasc_pal.h"
#include "load.h"
#include "support.h"

#include <cerrno>

namespace corvane::test {
namespace {

using namespace std::string_literals;

struct Loaded {
    LoadResult result;
    Entries entries;
    std::string caption;
};

Loaded loadFrom(ByteSource& source)
{
    PaletteTable table;
    KindCaption caption;
    preset(table, caption);
    // Braced initialisers run in order: the load comes before the copies.
    return Loaded{loadPalette(source, table, caption), table.entries(), caption.text()};
}

struct SourceCase {
    const char* name;
    std::string bytes;
    PaletteKind kind;
    std::optional<std::int16_t> count;
    std::string caption;
};

class LoadSources : public testing::TestWithParam<SourceCase> {};

TEST_P(LoadSources, MemoryTrickleAndFileGiveTheSameLoad)
{
    const SourceCase& c = GetParam();
    MemorySource memory(c.bytes);
    const Loaded expected = loadFrom(memory);
    EXPECT_EQ(expected.result.kind, c.kind);
    EXPECT_EQ(expected.result.count, c.count);
    EXPECT_EQ(expected.caption, c.caption);
    if (c.kind == PaletteKind::Unknown) {
        EXPECT_EQ(expected.entries, presetEntries()) << "an unknown kind changes nothing";
    }

    TrickleSource trickle(c.bytes);
    const Loaded viaTrickle = loadFrom(trickle);

    const ScratchDir dir;
    PaletteTable table;
    KindCaption caption;
    preset(table, caption);
    const LoadResult fileResult = loadPaletteFile(dir.write("palette.pal", c.bytes), table, caption);
    const Loaded viaFile{fileResult, table.entries(), caption.text()};

    for (const Loaded* other : {&expected, &viaTrickle, &viaFile})
        EXPECT_EQ(other->result.failure, 0);
    for (const Loaded* other : {&viaTrickle, &viaFile}) {
        EXPECT_EQ(other->result.kind, expected.result.kind);
        EXPECT_EQ(other->result.countText, expected.result.countText);
        EXPECT_EQ(other->result.count, expected.result.count);
        EXPECT_EQ(other->caption, expected.caption);
        EXPECT_EQ(other->entries, expected.entries);
    }
}

const std::string Psp256 = jascText("256", std::vector<std::string>(256, "255 128 7"));

INSTANTIATE_TEST_SUITE_P(
    Samples, LoadSources,
    testing::Values(
        SourceCase{"Div", divFile(countingLevels()) + "\x10\0\0\x01"s, PaletteKind::Div, 256,
                   "Palette DIV Games Studio"},
        SourceCase{"ShortDiv", divFile(std::string(100, '\x21')), PaletteKind::Div, 256, "Palette DIV Games Studio"},
        SourceCase{"HeaderOnlyDiv", "pal\x1A", PaletteKind::Div, 256, "Palette DIV Games Studio"},
        SourceCase{"Jasc256", Psp256, PaletteKind::JascPal, 256, "Palette PSP 256 couleurs"},
        SourceCase{"Jasc16NoFinalLineEnd", jascText("16", std::vector<std::string>(16, "1 2 3")) + "4 5 6",
                   PaletteKind::JascPal, 16, "Palette PSP 16 couleurs"},
        SourceCase{"JascLeadingZero", jascText("0256", std::vector<std::string>(10, "9 9 9")), PaletteKind::JascPal,
                   256, "Palette PSP 0256 couleurs"},
        SourceCase{"JascZerosPastTheCaption",
                   jascText(std::string(5000, '0') + "16", std::vector<std::string>(16, "1 2 3")), PaletteKind::JascPal,
                   16, "Palette PSP " + std::string(MaxCountTextLength, '0') + " couleurs"},
        SourceCase{"JascCount255", jascText("255", {}), PaletteKind::JascPal, 255, "Palette PSP 255 couleurs"},
        SourceCase{"JascNotANumber", jascText("seize", std::vector<std::string>(16, "9 9 9")), PaletteKind::JascPal,
                   std::nullopt, "Palette PSP seize couleurs"},
        SourceCase{"JascLongLines",
                   "JASC-PAL\r\n" + std::string(20000, 'v') + "\r\n1\r\n" + std::string(20000, ' ') + "4 5 6",
                   PaletteKind::JascPal, 1, "Palette PSP 1 couleurs"},
        SourceCase{"JascLfOnly", "JASC-PAL\n0100\n16\n1 2 3\n", PaletteKind::Unknown, std::nullopt,
                   std::string(PresetCaption)},
        SourceCase{"Unknown", "GIMP Palette\r\n", PaletteKind::Unknown, std::nullopt, std::string(PresetCaption)},
        SourceCase{"Empty", "", PaletteKind::Unknown, std::nullopt, std::string(PresetCaption)}),
    ByName{});

TEST(LoadSources, FileThatCannotBeOpenedChangesNothing)
{
    const ScratchDir dir;
    for (const std::filesystem::path& path : {dir.path() / "absent.pal", dir.path()}) {
        PaletteTable table;
        KindCaption caption;
        preset(table, caption);
        const LoadResult result = loadPaletteFile(path, table, caption);
        EXPECT_EQ(result.kind, PaletteKind::Unknown) << path;
        EXPECT_NE(result.failure, 0);
        EXPECT_EQ(result.count, std::nullopt);
        EXPECT_EQ(caption.text(), PresetCaption);
        EXPECT_EQ(table.entries(), presetEntries());
    }
}

// Gives its bytes, then fails instead of reaching the end.
class FailingSource final : public ByteSource {
public:
    explicit FailingSource(std::string_view data) : data_(data) {}
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::size_t got = data_.read(buf, n);
        failed_ = got == 0;
        return got;
    }
    [[nodiscard]] bool failed() const override { return failed_; }

private:
    MemorySource data_;
    bool failed_ = false;
};

TEST(LoadSources, ReadErrorLoadsLikeTheEndAndIsTold)
{
    for (const std::string& bytes : {divFile(std::string(100, '\x21')), jascText("16", {"1 2 3"})}) {
        MemorySource whole(bytes);
        FailingSource failing(bytes);
        const Loaded expected = loadFrom(whole);
        const Loaded got = loadFrom(failing);
        EXPECT_EQ(got.result.failure, EIO) << "a source that cannot say why";
        EXPECT_EQ(got.result.kind, expected.result.kind);
        EXPECT_EQ(got.caption, expected.caption);
        EXPECT_EQ(got.entries, expected.entries);
    }
}

} // namespace
} // namespace corvane::test
