#include "format_checks.h"
#include "input.h"

namespace corvane::test {
namespace {

// An input followed by zeros up to `size` bytes, counting what is taken from it.
class ZerosAfter final : public ByteSource {
public:
    ZerosAfter(std::string head, std::size_t size) : head_(std::move(head)), size_(std::max(size, head_.size())) {}
    std::size_t read(char* buf, std::size_t n) override
    {
        n = std::min(n, size_ - taken);
        for (std::size_t i = 0; i < n; ++i)
            buf[i] = taken + i < head_.size() ? head_[taken + i] : '\0';
        taken += n;
        return n;
    }
    std::size_t taken = 0;

private:
    std::string head_;
    std::size_t size_;
};

std::string lines(std::string_view line, std::size_t count)
{
    std::string text;
    while (count-- > 0)
        text += line;
    return text;
}

// The reader that takes an input, and how far it is read: a sample followed
// by a gibibyte is read no further than its palette, or than what detection needs.
TEST(InputReader, PicksTheReaderAndReadsNoFurtherThanThePaletteOrTheHead)
{
    constexpr std::size_t GiB = std::size_t(1) << 30;
    const struct {
        const char* name;
        std::string bytes;
        std::size_t size;   // with the zeros after it
        const char* format; // "" for the window's reader
        std::size_t taken;
        bool warns = false; // the window's reader met an LF inside a colour line
    } cases[] = {
        {"fpg", sampleBytes("fpg-foret.fpg"), GiB, "div", 1352},   // levels and range block
        {"div", sampleBytes("div-degrade.PAL"), GiB, "", 1352},    // the window's reader, range block kept for --to
        {"jasc", sampleBytes("jasc16-lf.pal"), GiB, "jasc", 1352}, // a signature in the first bytes
        {"png", sampleBytes("png16-4bits.png"), GiB, "png", 1352}, // up to its PLTE chunk
        {"fpg_gzip", sampleBytes("fpg-gzip.fpg"), GiB, "div", 1352 + 4096}, // then at most one refill of the inflater
        // A binary signature, decided before the text rules' whole head.
        {"gif", sampleBytes("gif89-32-locale.gif"), GiB, "gif", 1352},
        {"bmp", sampleBytes("bmp8-windows.bmp"), GiB, "bmp", 1352},
        {"pcx", sampleBytes("pcx16-ega.pcx"), GiB, "pcx", 1352},
        {"lbm", sampleBytes("deluxe32.lbm"), GiB, "lbm", 1352},
        {"aseprite", sampleBytes("sprite24.aseprite"), GiB, "aseprite", 1352},
        {"ase", sampleBytes("ase-groupes-gris.ase"), GiB, "ase", 1352},
        {"col", sampleBytes("animator.col"), GiB, "col", 1352},
        // Detection sees the head as cut: its last line is not judged.
        {"hex_past_the_head", lines("102030\n", 10000), 0, "hex", 70000},
        {"hex_cut_after_cr", "102030\r\n" + lines("#405060\r\n", 7281), 0, "hex", 65537},
        {"hex_cr_only", lines("708090\r", 10000), 0, "hex", 70000},
        // 768 bytes of levels up to 63 that are also hex lines: hex comes first.
        {"hex_of_768_bytes", lines("102030\r\n", 96), 0, "hex", 768},
        {"vga", std::string(768, '\x3F'), 0, "vga", 769},
        {"jasc_crlf_header_lf_colours", sampleBytes("porytiles__primer.pal"), 0, "", 1352, true},
        {"jasc_some_colours_lf", sampleBytes("jasc16-mixte.pal"), 0, "", 1352, true},
        {"jasc_lf_in_a_long_line", "JASC-PAL\r\n0100\r\n1\r\n" + std::string(9000, ' ') + "1 2 3\n4\r\n", 0, "", 9100,
         true},
        {"jasc_lf_after_the_colours", "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n\n", 0, "", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZerosAfter source(c.bytes, c.size);
        intake::InputReader reader;
        intake::Input input;
        EXPECT_EQ(reader.read(source, nullptr, input), std::nullopt);
        EXPECT_EQ(input.window ? "" : input.format != nullptr ? input.format->name : "none", c.format);
        EXPECT_LE(source.taken, c.taken);
        EXPECT_EQ(input.warning.has_value(), c.warns);
    }
}

// A format that only reads is refused as a target, not called.
TEST(ConvertInput, RefusesAFormatWithoutAWriter)
{
    formats::Format readOnly = *formats::formatNamed("hex");
    readOnly.write = nullptr;
    const std::string bytes = "ff0000\n";
    MemorySource source(bytes);
    intake::InputReader reader;
    intake::Input input;
    ASSERT_EQ(reader.read(source, nullptr, input), std::nullopt);
    intake::Output output;
    EXPECT_EQ(intake::convertInput(input, &readOnly, "a.hex", output).value_or(""),
              "le format Lospec se lit mais ne s'écrit pas");
}

} // namespace
} // namespace corvane::test
