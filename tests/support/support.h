#pragma once

#include "byte_source.h"
#include "conversion.h"
#include "div_pal.h"
#include "kind_caption.h"
#include "palette_files.h"
#include "palette_kind.h"
#include "palette_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Readable failures: GoogleTest finds these by argument-dependent lookup.
inline void PrintTo(PaletteKind kind, std::ostream* os)
{
    *os << (kind == PaletteKind::Div ? "Div" : kind == PaletteKind::JascPal ? "JascPal" : "Unknown");
}
inline void PrintTo(Conversion conversion, std::ostream* os)
{
    constexpr const char* names[] = {"None", "DivToJasc", "Jasc256ToDiv", "Jasc16ToDiv"};
    *os << names[static_cast<int>(conversion)];
}

} // namespace corvane

namespace corvane::test {
namespace {

// Case tables print as their names, so that test lists stay readable. Unnamed,
// like the tables, so that lookup from GoogleTest finds it.
template <class Case>
requires requires(const Case& c)
{
    c.name;
}
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

} // namespace

using Entry = PaletteTable::Entry;
using Entries = std::vector<Entry>;

// Hands out one byte per read, so that every buffer boundary of a reader is crossed.
class TrickleSource final : public ByteSource {
public:
    explicit TrickleSource(std::string_view data) : data_(data) {}
    std::size_t read(char* buf, std::size_t n) override
    {
        if (n == 0 || data_.empty())
            return 0;
        buf[0] = data_.front();
        data_.remove_prefix(1);
        return 1;
    }

private:
    std::string_view data_;
};

// Runs `check` on the bytes read whole, then one byte at a time.
template <class Check> void throughEverySource(std::string_view bytes, Check check)
{
    MemorySource whole(bytes);
    check(static_cast<ByteSource&>(whole));
    TrickleSource trickle(bytes);
    check(static_cast<ByteSource&>(trickle));
}

// A folder of one test's own, removed with it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("corvane-tests-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, std::string_view bytes) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good()) << file;
        return file;
    }

private:
    std::filesystem::path path_;
};

// Earlier state, to prove that a load keeps or replaces it.
inline const Entries& presetEntries()
{
    static const Entries entries{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    return entries;
}
inline constexpr std::string_view PresetCaption = "Palette avant";

inline PaletteTable tableOf(const Entries& entries)
{
    PaletteTable table;
    table.resizeClear(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k)
        for (int c = Red; c <= Blue; ++c)
            table.store(k, c, entries[k][static_cast<std::size_t>(c)]);
    return table;
}

inline void preset(PaletteTable& table, KindCaption& caption)
{
    table = tableOf(presetEntries());
    caption.set(std::string(PresetCaption));
}

// Parameter names for INSTANTIATE_TEST_SUITE_P: letters, digits and '_' only.
inline std::string testName(std::string_view text)
{
    std::string name;
    for (const char c : text)
        name.push_back(std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_');
    return name;
}

// Names a parameterised case after the `name` member of its parameter.
struct ByName {
    template <class Param> std::string operator()(const testing::TestParamInfo<Param>& param) const
    {
        return testName(param.param.name);
    }
};

} // namespace corvane::test
