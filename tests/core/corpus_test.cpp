#include "conversion.h"
#include "load.h"
#include "samples.h"
#include "support.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, PaletteKind> KindNames{
    {"DIV", PaletteKind::Div}, {"JASC-PAL", PaletteKind::JascPal}, {"unknown", PaletteKind::Unknown}};

std::vector<std::string> sampleNames()
{
    std::vector<std::string> names;
    for (const fs::path& file : samplePalettes())
        names.push_back(file.filename().string());
    return names;
}

// EXPECTED.md names a file without its format's folder.
fs::path samplePath(const std::string& name)
{
    for (const fs::path& file : samplePalettes())
        if (file.filename() == name)
            return file;
    return {};
}

TEST(Corpus, FolderIsThereAndEveryFileHasARow)
{
    const std::map<std::string, SampleRow> rows = sampleRows();
    ASSERT_FALSE(rows.empty()) << "no rows read from " << SampleDir / "EXPECTED.md";
    const std::vector<std::string> files = sampleNames();
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
        EXPECT_TRUE(rows.contains(file)) << file << " has no row in EXPECTED.md";
    for (const auto& [file, row] : rows)
        EXPECT_TRUE(fs::is_regular_file(samplePath(file))) << "row without a file: " << file;
}

class CorpusFile : public testing::TestWithParam<std::string> {};

TEST_P(CorpusFile, LoadsAndConvertsAsExpected)
{
    const std::map<std::string, SampleRow> rows = sampleRows();
    const auto found = rows.find(GetParam());
    ASSERT_NE(found, rows.end()) << GetParam() << " has no row in EXPECTED.md";
    const SampleRow& row = found->second;
    const fs::path path = samplePath(GetParam());

    PaletteTable table;
    KindCaption caption;
    preset(table, caption);
    const LoadResult result = loadPaletteFile(path, table, caption);
    ASSERT_TRUE(KindNames.contains(row.kind)) << row.kind;
    EXPECT_EQ(result.kind, KindNames.at(row.kind));
    if (row.caption.starts_with("(unchanged")) {
        EXPECT_EQ(caption.text(), PresetCaption);
        EXPECT_EQ(table.entries(), presetEntries());
    } else {
        EXPECT_EQ(caption.text(), row.caption);
    }

    const Conversion conversion = conversionFor(caption);
    ASSERT_TRUE(row.convertible == "yes" || row.convertible == "no") << row.convertible;
    EXPECT_EQ(conversion != Conversion::None, row.convertible == "yes");
    const std::optional<std::string> expected = expectedOutput(path);
    EXPECT_EQ(expected.has_value(), row.convertible == "yes") << "an expected output for each convertible sample";
    if (conversion != Conversion::None && expected) {
        EXPECT_EQ(convertPalette(table, conversion), *expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusFile, testing::ValuesIn(sampleNames()),
                         [](const auto& file) { return testName(file.param); });

} // namespace
} // namespace corvane::test
