#include "apply.h"

#include <gtest/gtest.h>

namespace corvane::apply {
namespace {

TEST(Recolourers, EachImageFormatHasOne)
{
    for (const char* format : {"div", "png", "gif", "bmp", "pcx", "lbm"})
        EXPECT_NE(recolourerFor(format), nullptr) << format;
}

} // namespace
} // namespace corvane::apply
