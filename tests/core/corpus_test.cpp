#include "conversion.h"
#include "load.h"
#include "support.h"

#include <algorithm>
#include <cctype>
#include <map>

#ifndef CORVANE_CORPUS_DIR
#error "CORVANE_CORPUS_DIR must name the folder of sample palettes"
#endif

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path CorpusDir{CORVANE_CORPUS_DIR};
constexpr std::string_view ExpectedFile = "EXPECTED.md";

struct Row {
    std::string kind, caption, convertible, outputBytes;
};

std::string trim(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    const auto last = s.find_last_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first, last - first + 1));
}

// The rows of EXPECTED.md's table: | file | kind | caption | convertible | output bytes |
std::map<std::string, Row> expectedRows()
{
    std::map<std::string, Row> rows;
    std::ifstream in(CorpusDir / ExpectedFile);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("| ") || line.starts_with("| file ") || line.starts_with("|---"))
            continue;
        std::vector<std::string> cells;
        for (std::size_t start = 1, bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
            cells.push_back(trim(std::string_view(line).substr(start, bar - start)));
        if (cells.size() == 5)
            rows[cells[0]] = Row{cells[1], cells[2], cells[3], cells[4]};
    }
    return rows;
}

// The palettes only: the folder also holds their notes and the script that makes some of them.
std::vector<std::string> corpusFiles()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir, error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && extension == ".pal")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const std::map<std::string, PaletteKind> KindNames{
    {"DIV", PaletteKind::Div}, {"JASC-PAL", PaletteKind::JascPal}, {"unknown", PaletteKind::Unknown}};

TEST(Corpus, FolderIsThereAndEveryFileHasARow)
{
    ASSERT_TRUE(fs::is_directory(CorpusDir)) << "corpus folder missing: " << CorpusDir;
    const std::map<std::string, Row> rows = expectedRows();
    ASSERT_FALSE(rows.empty()) << "no rows read from " << CorpusDir / ExpectedFile;
    const std::vector<std::string> files = corpusFiles();
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
        EXPECT_TRUE(rows.contains(file)) << file << " has no row in " << ExpectedFile;
    for (const auto& [file, row] : rows)
        EXPECT_TRUE(fs::is_regular_file(CorpusDir / file)) << "row without a file: " << file;
}

class CorpusFile : public testing::TestWithParam<std::string> {};

TEST_P(CorpusFile, LoadsAsExpected)
{
    const std::map<std::string, Row> rows = expectedRows();
    const auto found = rows.find(GetParam());
    ASSERT_NE(found, rows.end()) << GetParam() << " has no row in " << ExpectedFile;
    const Row& row = found->second;
    const fs::path path = CorpusDir / GetParam();

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
    if (conversion != Conversion::None) {
        EXPECT_EQ(std::to_string(convertPalette(table, conversion).size()), row.outputBytes);
    } else {
        EXPECT_EQ(row.outputBytes, "—");
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusFile, testing::ValuesIn(corpusFiles()),
                         [](const auto& file) { return testName(file.param); });

} // namespace
} // namespace corvane::test
