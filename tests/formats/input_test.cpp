#include "format_checks.h"
#include "input.h"

namespace corvane::test {
namespace {

// An input followed by zeros up to `size` bytes, then `tail`, counting what is
// read from it. It seeks, as a file does.
class ZerosAfter final : public ByteSource {
public:
    ZerosAfter(std::string head, std::size_t size, std::string tail)
        : head_(std::move(head)), tail_(std::move(tail)), size_(std::max(size, head_.size()) + tail_.size())
    {
    }
    std::size_t read(char* buf, std::size_t n) override
    {
        n = std::min(n, size_ - at_);
        for (std::size_t i = 0; i < n; ++i, ++at_)
            buf[i] = at_ < head_.size()            ? head_[at_]
                     : at_ >= size_ - tail_.size() ? tail_[at_ + tail_.size() - size_]
                                                   : '\0';
        taken += n;
        return n;
    }
    [[nodiscard]] std::optional<std::uint64_t> remaining() const override { return size_ - at_; }
    std::uint64_t skipAhead(std::uint64_t n) override
    {
        n = std::min<std::uint64_t>(n, size_ - at_);
        at_ += n;
        return n;
    }
    std::size_t taken = 0;

private:
    std::string head_, tail_;
    std::size_t size_;
    std::size_t at_ = 0;
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
    constexpr std::size_t First = formats::FirstBytes;
    const std::string pcx256 = sampleBytes("pcx/pcx256-v5.pcx");
    const struct {
        const char* name;
        std::string bytes;
        std::size_t size;   // with the zeros after it
        const char* format; // "" for the window's reader
        std::size_t taken;
        bool warns = false;    // the window's reader met an LF inside a colour line
        std::string tail = ""; // after the zeros
    } cases[] = {
        {"fpg", sampleBytes("div/fpg-foret.fpg"), GiB, "div", First}, // levels and range block
        {"div", sampleBytes("div/div-degrade.PAL"), GiB, "", First},  // the window's reader, range block kept for --to
        {"jasc", sampleBytes("jasc/jasc16-lf.pal"), GiB, "jasc", First}, // a signature in the first bytes
        {"png", sampleBytes("png/png16-4bits.png"), GiB, "png", First},  // up to its PLTE chunk
        {"fpg_gzip", sampleBytes("div/fpg-gzip.fpg"), GiB, "div",
         First + 4096}, // then at most one refill of the inflater
        // A binary signature, decided before the text rules' whole head.
        {"gif", sampleBytes("gif/gif89-32-locale.gif"), GiB, "gif", First},
        {"bmp", sampleBytes("bmp/bmp8-windows.bmp"), GiB, "bmp", First},
        {"pcx", sampleBytes("pcx/pcx16-ega.pcx"), GiB, "pcx", First},
        // A palette that ends the file is sought, not read up to.
        {"pcx_palette_after_a_gibibyte", pcx256.substr(0, 128), GiB, "pcx", First + 769, false,
         pcx256.substr(pcx256.size() - 769)},
        {"lbm", sampleBytes("lbm/deluxe32.lbm"), GiB, "lbm", First},
        {"aseprite", sampleBytes("aseprite/sprite24.aseprite"), GiB, "aseprite", First},
        {"ase", sampleBytes("ase/ase-groupes-gris.ase"), GiB, "ase", First},
        {"col", sampleBytes("col/animator.col"), GiB, "col", First},
        // Detection sees the head as cut: its last line is not judged.
        {"hex_past_the_head", lines("102030\n", 10000), 0, "hex", 70000},
        {"hex_cut_after_cr", "102030\r\n" + lines("#405060\r\n", 7281), 0, "hex", 65537},
        {"hex_cr_only", lines("708090\r", 10000), 0, "hex", 70000},
        // 768 bytes of levels up to 63 that are also hex lines: hex comes first.
        {"hex_of_768_bytes", lines("102030\r\n", 96), 0, "hex", 768},
        {"vga", std::string(768, '\x3F'), 0, "vga", 769},
        {"jasc_crlf_header_lf_colours", sampleBytes("jasc/porytiles__primer.pal"), 0, "", First, true},
        {"jasc_some_colours_lf", sampleBytes("jasc/jasc16-mixte.pal"), 0, "", First, true},
        {"jasc_lf_in_a_long_line", "JASC-PAL\r\n0100\r\n1\r\n" + std::string(9000, ' ') + "1 2 3\n4\r\n", 0, "", 9100,
         true},
        {"jasc_lf_after_the_colours", "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n\n", 0, "", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZerosAfter source(c.bytes, c.size, c.tail);
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
    const std::string bytes = "ff0000\n";
    MemorySource source(bytes);
    intake::InputReader reader;
    intake::Input input;
    ASSERT_EQ(reader.read(source, nullptr, input), std::nullopt);
    intake::Output output;
    EXPECT_EQ(intake::convertInput(input, formats::formatNamed("lbm"), "a.hex", output).value_or(""),
              "le format « lbm » se lit mais ne s'écrit pas");
}

} // namespace
} // namespace corvane::test
