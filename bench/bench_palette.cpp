// Load and conversion costs. A load is held against the floor of opening,
// reading and closing the same file with plain POSIX calls.

#include "conversion.h"
#include "load.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

// Copies of corpus files and generated palettes in a folder of their own,
// removed at exit.
class Files {
public:
    Files()
    {
        std::string pattern = (fs::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir_ = pattern;
    }
    ~Files() { fs::remove_all(dir_); }

    static Files& get()
    {
        static Files files;
        return files;
    }

    fs::path corpus(const std::string& name)
    {
        const fs::path copy = dir_ / fs::path(name).filename();
        if (!fs::exists(copy))
            fs::copy_file(fs::path(CORVANE_CORPUS_DIR) / name, copy);
        return copy;
    }

    // A JASC-PAL file with one line of a gibibyte: the count line or the first
    // entry line, `filler` repeated before `tail`. NUL is left as a hole, as
    // in a sparse file. Only the last one asked for is kept: each takes a
    // gibibyte of disk.
    fs::path hostile(bool countLine, char filler, std::string_view tail)
    {
        const fs::path path = dir_ / "hostile.pal";
        const std::string key = std::string(1, countLine ? 'c' : 'e') + filler + std::string(tail);
        if (key == hostileKey_)
            return path;
        fs::remove(path);
        const std::string head = countLine ? "JASC-PAL\r\n0100\r\n" : "JASC-PAL\r\n0100\r\n16\r\n";
        std::ofstream out(path, std::ios::binary);
        out << head;
        if (filler == '\0') {
            out.seekp(static_cast<std::streamoff>(head.size() + HostileLength));
        } else {
            const std::string block(1 << 20, filler);
            for (std::size_t n = 0; n < HostileLength; n += block.size())
                out << block;
        }
        out << tail << "\r\n4 5 6\r\n";
        if (!out) {
            std::perror("hostile file");
            std::exit(1);
        }
        hostileKey_ = key;
        return path;
    }

    // A JASC-PAL file declaring `count` entries, every line present.
    fs::path jasc(int count)
    {
        const fs::path path = dir_ / ("count-" + std::to_string(count) + ".pal");
        if (!fs::exists(path)) {
            std::ofstream out(path, std::ios::binary);
            out << "JASC-PAL\r\n0100\r\n" << count << "\r\n";
            for (int k = 0; k < count; ++k)
                out << k % 256 << ' ' << k * 7 % 256 << ' ' << k * 13 % 256 << "\r\n";
        }
        return path;
    }

    static constexpr std::size_t HostileLength = std::size_t{1} << 30;

private:
    fs::path dir_;
    std::string hostileKey_;
};

const std::string DivFile = "div/div-degrade.PAL";
const std::string Jasc256File = "jasc/jasc256-crlf.pal";
const std::string Jasc16File = "jasc/jasc16-crlf.pal";

std::size_t readWholeFile(const fs::path& path)
{
    static std::array<char, 1 << 16> buffer;
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t total = 0;
    for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;)
        total += static_cast<std::size_t>(got);
    ::close(fd);
    return total;
}

// Times loads of the file, after one whose result `right` must accept (it
// also brings the file into the page cache, where the plain read finds it).
template <class Check> void load(benchmark::State& state, const fs::path& path, Check right)
{
    {
        PaletteTable table;
        KindCaption caption;
        const LoadResult result = loadPaletteFile(path, table, caption);
        if (!right(result, table))
            state.SkipWithError("not read as expected");
    }
    for (auto _ : state) {
        PaletteTable table;
        KindCaption caption;
        const LoadResult result = loadPaletteFile(path, table, caption);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(table);
    }
}

void load(benchmark::State& state, const fs::path& path)
{
    load(state, path,
         [](const LoadResult& result, const PaletteTable&) { return result.kind != PaletteKind::Unknown; });
}

void readFloor(benchmark::State& state, const fs::path& path)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readWholeFile(path));
}

void BM_LoadDiv(benchmark::State& state)
{
    load(state, Files::get().corpus(DivFile));
}
void BM_FloorDiv(benchmark::State& state)
{
    readFloor(state, Files::get().corpus(DivFile));
}
void BM_LoadJasc256(benchmark::State& state)
{
    load(state, Files::get().corpus(Jasc256File));
}
void BM_FloorJasc256(benchmark::State& state)
{
    readFloor(state, Files::get().corpus(Jasc256File));
}

void BM_LoadJascByCount(benchmark::State& state)
{
    load(state, Files::get().jasc(static_cast<int>(state.range(0))));
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FloorJascByCount(benchmark::State& state)
{
    readFloor(state, Files::get().jasc(static_cast<int>(state.range(0))));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

PaletteTable loaded(const std::string& name)
{
    PaletteTable table;
    KindCaption caption;
    loadPaletteFile(Files::get().corpus(name), table, caption);
    return table;
}

void convert(benchmark::State& state, const std::string& name, Conversion conversion)
{
    const PaletteTable table = loaded(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(convertPalette(table, conversion));
}

void BM_DivToJasc(benchmark::State& state)
{
    convert(state, DivFile, Conversion::DivToJasc);
}
void BM_Jasc256ToDiv(benchmark::State& state)
{
    convert(state, Jasc256File, Conversion::Jasc256ToDiv);
}
void BM_Jasc16ToDiv(benchmark::State& state)
{
    convert(state, Jasc16File, Conversion::Jasc16ToDiv);
}

// One line of a gibibyte, as a file may hold: the reader must pass it at the
// speed of a plain read, in constant memory.
struct HostileLine {
    const char* name;
    bool countLine;
    char filler;
    const char* tail;
    std::size_t entries;         // the count read from the file
    PaletteTable::Entry first{}; // entry 0, when there are entries
};

constexpr HostileLine HostileLines[] = {
    {"count/nul", true, '\0', "", 0},
    {"count/letters", true, 'x', "", 0},
    {"count/zeros", true, '0', "16", 16, {4, 5, 6}},
    {"count/blanks", true, ' ', "16", 16, {4, 5, 6}},
    {"entry/nul", false, '\0', " 2 3", 16, {0, 2, 3}},
    {"entry/letters", false, 'x', " 2 3", 16, {0, 2, 3}},
    {"entry/zeros", false, '0', "1 2 3", 16, {1, 2, 3}},
    {"entry/blanks", false, ' ', "1 2 3", 16, {1, 2, 3}},
};

void loadHostile(benchmark::State& state, const HostileLine& line)
{
    load(state, Files::get().hostile(line.countLine, line.filler, line.tail),
         [&](const LoadResult&, const PaletteTable& table) {
             return table.entryCount() == line.entries && (line.entries == 0 || table.entries()[0] == line.first);
         });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files::HostileLength));
}

void readHostile(benchmark::State& state, const HostileLine& line)
{
    readFloor(state, Files::get().hostile(line.countLine, line.filler, line.tail));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files::HostileLength));
}

} // namespace

BENCHMARK(BM_LoadDiv);
BENCHMARK(BM_FloorDiv);
BENCHMARK(BM_LoadJasc256);
BENCHMARK(BM_FloorJasc256);
BENCHMARK(BM_LoadJascByCount)->Arg(16)->Arg(256)->Arg(4096)->Arg(32767)->Complexity(benchmark::oN);
BENCHMARK(BM_FloorJascByCount)->Arg(16)->Arg(256)->Arg(4096)->Arg(32767);
BENCHMARK(BM_DivToJasc);
BENCHMARK(BM_Jasc256ToDiv);
BENCHMARK(BM_Jasc16ToDiv);

int main(int argc, char** argv)
{
    // Each file's load, then its plain read, so that one file at a time is on disk.
    for (const HostileLine& line : HostileLines) {
        for (const bool load : {true, false}) {
            const std::string name = std::string("BM_HostileLine/") + line.name + (load ? "/load" : "/read");
            benchmark::RegisterBenchmark(name.c_str(), load ? loadHostile : readHostile, line)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
