#pragma once

// What the tests of every format share: a reader over a table of inputs. The
// writers are checked together in format_checks.cpp.

#include "format.h"
#include "samples.h"
#include "support.h"

#include <gtest/gtest.h>

namespace corvane::test {

// An input, whether detection takes it as a whole input, and what reading it
// gives: its problem, or its kind and colour count, with the colours when
// there are 4 or fewer ("Palette GIMP, 2 couleurs : 1 2 3, 4 5 6").
struct ReaderCase {
    std::string name;
    bool detected = false;
    std::string bytes;
    std::string outcome;
    std::size_t rest = 0; // bytes after the palette that the reader leaves unread
};

// A reader over its cases, instantiated under the format's own name
// (INSTANTIATE_TEST_SUITE_P(act, FormatReader, ...)); the pattern is in
// format_checks.cpp.
class FormatReader : public testing::TestWithParam<ReaderCase> {};

// Test lists show the case's name, not its bytes.
inline void PrintTo(const ReaderCase& c, std::ostream* os)
{
    *os << c.name;
}

inline std::string sampleBytes(std::string_view name)
{
    return fileBytes(SampleDir / name);
}

} // namespace corvane::test
