#include "fonts/install_progress.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

struct ProgressCase {
    int trough;
    int count;
    int handled;
    int fill;
    const char* percent;
};

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, FillAndPercentage) {
    const ProgressCase& c = GetParam();
    EXPECT_EQ(ProgressFillWidth(c.trough, c.count, c.handled), c.fill);
    EXPECT_EQ(PercentText(c.count, c.handled), c.percent);
}

INSTANTIATE_TEST_SUITE_P(Shares, ProgressTest,
                         ::testing::Values(ProgressCase{4410, 3, 1, 1470, "33 %"},
                                           ProgressCase{4410, 1, 1, 4410, "100 %"},
                                           ProgressCase{4410, 7, 1, 630, "14 %"},
                                           // Rounded down, never up: 999 of 1000 is not yet 100 %.
                                           ProgressCase{4410, 1000, 999, 4406, "99 %"},
                                           // Exact shares are never rounded down a step too far.
                                           ProgressCase{4410, 100, 29, 1279, "29 %"},
                                           ProgressCase{4410, 100, 57, 2514, "57 %"}));

} // namespace
} // namespace kernova
