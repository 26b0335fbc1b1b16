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

INSTANTIATE_TEST_SUITE_P(
    Shares, ProgressTest,
    ::testing::Values(ProgressCase{4410, 3, 1, 1470, "33 %"},
                      ProgressCase{4410, 1, 1, 4410, "100 %"},
                      ProgressCase{4410, 7, 1, 630, "14 %"},
                      // Rounded down, never up: 999 of 1000 is not yet 100 %.
                      ProgressCase{4410, 1000, 999, 4406, "99 %"},
                      // The share is taken in double precision before rounding down, as
                      // packages made for the window runtime show it: 29 of 100 reads 28 %.
                      ProgressCase{4410, 100, 29, 1279, "28 %"}));

} // namespace
} // namespace kernova
