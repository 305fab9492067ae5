#pragma once

#include "div_pal.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

inline std::string divFile(std::string_view levels)
{
    return std::string(DivHeader).append(levels);
}

// 768 level bytes, byte i = i mod 256.
inline std::string countingLevels()
{
    std::string levels;
    for (int i = 0; i < static_cast<int>(DivLevelBytes); ++i)
        levels.push_back(static_cast<char>(i % 256));
    return levels;
}

// 768 level bytes, entry k's component c being level(k, c).
template <class Level> std::string levelsOf(Level level)
{
    std::string levels;
    for (int k = 0; k < static_cast<int>(DivEntryCount); ++k)
        for (int c = 0; c < 3; ++c)
            levels.push_back(static_cast<char>(level(k, c)));
    return levels;
}

// A JASC-PAL text with CR LF line ends and the given count line and entry lines.
inline std::string jascText(std::string_view count, const std::vector<std::string>& lines)
{
    std::string text = "JASC-PAL\r\n0100\r\n";
    text.append(count).append("\r\n");
    for (const std::string& line : lines)
        text.append(line).append("\r\n");
    return text;
}

// `count` entry lines "r g b", entry k's component c being value(k, c).
template <class Value> std::vector<std::string> entryLines(int count, Value value)
{
    std::vector<std::string> lines;
    for (int k = 0; k < count; ++k)
        lines.push_back(std::to_string(value(k, 0)) + ' ' + std::to_string(value(k, 1)) + ' ' +
                        std::to_string(value(k, 2)));
    return lines;
}

} // namespace corvane::test
