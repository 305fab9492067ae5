#include "input.h"
#include "samples.h"
#include "support.h"

namespace corvane::test {
namespace {

// A sample followed by a gibibyte of zeros, counting what is taken from it.
class EndlessAfter final : public ByteSource {
public:
    explicit EndlessAfter(std::string head) : head_(std::move(head)) {}
    std::size_t read(char* buf, std::size_t n) override
    {
        n = std::min<std::size_t>(n, (std::size_t(1) << 30) - taken);
        for (std::size_t i = 0; i < n; ++i)
            buf[i] = taken + i < head_.size() ? head_[taken + i] : '\0';
        taken += n;
        return n;
    }
    std::size_t taken = 0;

private:
    std::string head_;
};

// An input is read no further than its palette, or than what detection needs.
TEST(InputReader, ReadsNoFurtherThanThePaletteOrTheHead)
{
    const struct {
        const char* sample;
        std::size_t taken;
    } cases[] = {
        {"fpg-foret.fpg", 1352},       // levels and range block
        {"div-degrade.PAL", 1352},     // the window's reader, range block kept for --to
        {"jasc16-lf.pal", 1352},       // a signature in the first bytes; the reader's own buffer
        {"png16-4bits.png", 1352},     // up to its PLTE chunk
        {"gif89-32-locale.gif", 1352}, // a binary signature, decided before the text rules' whole head
        {"bmp8-windows.bmp", 1352},    {"pcx16-ega.pcx", 1352},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        EndlessAfter source(fileBytes(SampleDir / c.sample));
        formats::InputReader reader;
        formats::Input input;
        EXPECT_EQ(reader.read(source, nullptr, input), std::nullopt);
        EXPECT_TRUE(input.recognised());
        EXPECT_LE(source.taken, c.taken);
    }
}

// A format that only reads is refused as a target, not called.
TEST(ConvertInput, RefusesAFormatWithoutAWriter)
{
    formats::Format readOnly = *formats::formatNamed("hex");
    readOnly.write = nullptr;
    const std::string bytes = "ff0000\n";
    MemorySource source(bytes);
    formats::InputReader reader;
    formats::Input input;
    ASSERT_EQ(reader.read(source, nullptr, input), std::nullopt);
    formats::Output output;
    EXPECT_EQ(formats::convertInput(input, &readOnly, "a.hex", output).value_or(""),
              "le format Lospec se lit mais ne s'écrit pas");
}

} // namespace
} // namespace corvane::test
