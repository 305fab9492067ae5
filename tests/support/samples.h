#pragma once

// The sample palettes of tests/data, one folder per format: the files, what
// EXPECTED.md says of each, and the bytes Convert writes for each, worked out
// by make_samples.py apart from the program (NAME.attendu, beside it).

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifndef CORVANE_CORPUS_DIR
#error "CORVANE_CORPUS_DIR must name the folder of sample palettes"
#endif

namespace corvane::test {

inline const std::filesystem::path SampleDir{CORVANE_CORPUS_DIR};

// Formats make_samples.py does not model: their samples have no expected
// outputs and their writers none, Python's own readers prove both
// (tests/formats/pillow_check.py).
inline bool provedByOtherReaders(std::string_view format)
{
    return format == "soc" || format == "json" || format == "css" || format == "tres" || format == "kpl";
}

// Every *.pal file of the formats' folders, whatever the case of its extension, sorted.
inline std::vector<std::filesystem::path> samplePalettes()
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::recursive_directory_iterator(SampleDir, error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && extension == ".pal")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What Convert writes for the sample; nothing when it refuses it.
inline std::optional<std::string> expectedOutput(const std::filesystem::path& sample)
{
    std::filesystem::path output = sample;
    output += ".attendu";
    if (!std::filesystem::is_regular_file(output))
        return std::nullopt;
    return fileBytes(output);
}

// A row of EXPECTED.md: | file | kind | caption | convertible |
struct SampleRow {
    std::string kind, caption, convertible;
};

inline std::map<std::string, SampleRow> sampleRows()
{
    const auto trim = [](std::string_view s) {
        const auto first = s.find_first_not_of(' ');
        const auto last = s.find_last_not_of(' ');
        return first == std::string_view::npos ? std::string() : std::string(s.substr(first, last - first + 1));
    };
    std::map<std::string, SampleRow> rows;
    std::ifstream in(SampleDir / "EXPECTED.md");
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("| ") || line.starts_with("| file ") || line.starts_with("|---"))
            continue;
        std::vector<std::string> cells;
        for (std::size_t start = 1, bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
            cells.push_back(trim(std::string_view(line).substr(start, bar - start)));
        if (cells.size() == 4)
            rows[cells[0]] = SampleRow{cells[1], cells[2], cells[3]};
    }
    return rows;
}

} // namespace corvane::test
