#pragma once

// Files made to break a palette reader: huge, endless, cut short, or full of
// bytes no palette has. The stress tests and the benchmarks' memory probe
// open the same set.

#include "jasc_pal.h"
#include "palette_files.h"
#include "palette_table.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

struct HostileFile {
    const char* name;
    std::string head;
    std::uintmax_t size;                // with holes after the head up to this size, reading as NUL bytes
    std::optional<std::string> caption; // none: unknown kind, nothing changes
    int entries;                        // -1: the table the reader had before is kept
    std::optional<PaletteTable::Entry> first = std::nullopt; // entry 0 afterwards, where it is known
};

inline constexpr std::uintmax_t GiB = std::uintmax_t(1) << 30;

// 16 entries, 16 k + c for entry k, component c.
inline std::string sixteenEntryPalette()
{
    return jascText("16", entryLines(16, [](int k, int c) { return 16 * k + c; }));
}

inline std::vector<HostileFile> hostileFiles()
{
    const std::string jascHead = "JASC-PAL\r\n0100\r\n";
    const std::string sixteen = sixteenEntryPalette();
    const std::string lines16 = sixteen.substr(jascHead.size() + 4);
    const std::string div = divFile(levelsOf([](int k, int c) { return (k + c) % 64; }));
    std::string nulEntries = jascHead + "16\r\n";
    for (int k = 0; k < 16; ++k)
        nulEntries.append("1\0 2 3\r\n", 8);
    const auto psp = [](std::string_view count) { return "Palette PSP " + std::string(count) + " couleurs"; };
    const std::string div16 = "Palette PSP 16 couleurs", divCaption = "Palette DIV Games Studio";
    const PaletteTable::Entry black{0, 0, 0};
    return {
        {"1 GiB, a 16-entry palette first", sixteen, GiB, div16, 16, PaletteTable::Entry{0, 1, 2}},
        {"1 GiB, a DIV palette first", div, GiB, divCaption, 256, PaletteTable::Entry{0, 4, 8}},
        {"1 GiB first line without end", {}, GiB, std::nullopt, -1},
        // The caption keeps the count line's first bytes only.
        {"1 GiB count line without end", jascHead, GiB, psp(std::string(MaxCountTextLength, '\0')), -1},
        {"1 GiB entry line without end", jascHead + "16\r\n", GiB, div16, 16, black},
        {"count 32767, no entry lines", jascHead + "32767\r\n", 0, psp("32767"), 32767, black},
        {"count beyond any integer", jascHead + std::string(40, '9') + "\r\n" + lines16, 0, psp(std::string(40, '9')),
         -1},
        {"count past 16 bits", jascHead + "32768\r\n" + lines16, 0, psp("32768"), -1},
        {"negative count", jascHead + "-16\r\n" + lines16, 0, psp("-16"), -1},
        {"lowest count", jascHead + "-32768\r\n" + lines16, 0, psp("-32768"), -1},
        {"only 0x1A bytes", std::string(65536, '\x1A'), 0, std::nullopt, -1},
        {"JASC-PAL, then only 0x1A", "JASC-PAL" + std::string(4096, '\x1A'), 0, psp(""), -1},
        // Level bytes of 0x1A, times 4.
        {"pal, then only 0x1A", "pal" + std::string(4096, '\x1A'), 0, divCaption, 256,
         PaletteTable::Entry{104, 104, 104}},
        {"NUL in the first line", std::string("JASC-PAL\0\r\n", 11) + "0100\r\n16\r\n" + lines16, 0, std::nullopt, -1},
        {"NUL in the count", jascHead + "1" + std::string(1, '\0') + "6\r\n" + lines16, 0,
         psp("1" + std::string(1, '\0') + "6"), -1},
        {"NUL in entry lines", nulEntries, 0, div16, 16, PaletteTable::Entry{0, 2, 3}},
    };
}

// Writes the head, then makes the file `size` bytes long at no cost.
inline bool writeHostileFile(const std::filesystem::path& path, const HostileFile& file)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.head.data(), static_cast<std::streamsize>(file.head.size()));
        if (!out)
            return false;
    }
    std::error_code error;
    if (file.size > file.head.size())
        std::filesystem::resize_file(path, file.size, error);
    return !error;
}

} // namespace corvane::test
