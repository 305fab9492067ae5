// Load and conversion costs. A load is held against the floor of opening,
// reading and closing the same file with plain POSIX calls.

#include "conversion.h"
#include "load.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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
        const fs::path copy = dir_ / name;
        if (!fs::exists(copy))
            fs::copy_file(fs::path(CORVANE_CORPUS_DIR) / name, copy);
        return copy;
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

private:
    fs::path dir_;
};

const std::string DivFile = "div-degrade.PAL";
const std::string Jasc256File = "jasc256-crlf.pal";
const std::string Jasc16File = "jasc16-crlf.pal";

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

void load(benchmark::State& state, const fs::path& path)
{
    {
        PaletteTable table;
        KindCaption caption;
        if (loadPaletteFile(path, table, caption).kind == PaletteKind::Unknown)
            state.SkipWithError("not a palette");
    }
    for (auto _ : state) {
        PaletteTable table;
        KindCaption caption;
        const LoadResult result = loadPaletteFile(path, table, caption);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(table);
    }
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

BENCHMARK_MAIN();
