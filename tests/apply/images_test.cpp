#include "nearest.h"

#include <gtest/gtest.h>

namespace corvane::apply {
namespace {

TEST(Recolourers, NearestTiesGoLow)
{
    Nearest nearest({{0, 0, 0}, {255, 255, 255}, {0, 0, 0}});
    EXPECT_EQ(nearest.index(10, 10, 10), 0);
    EXPECT_EQ(nearest.index(250, 250, 250), 1);
    Nearest withoutFirst({{0, 0, 0}, {255, 255, 255}, {0, 0, 0}}, 0);
    EXPECT_EQ(withoutFirst.index(10, 10, 10), 2);
}

} // namespace
} // namespace corvane::apply
