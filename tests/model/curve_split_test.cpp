#include "model/curve_split.h"

#include <gtest/gtest.h>

#include <vector>

namespace imm {
namespace {

struct Split {
    std::array<std::int64_t, kMaxCurves> counts;
    std::int64_t ncurves;
    std::int64_t total;
};

Split split(const std::vector<double>& so) {
    global_types.idat = static_cast<std::int64_t>(so.size());
    for (std::size_t k = 0; k < so.size(); ++k) a1.so[k] = so[k];
    Split s{};
    s.counts.fill(-1);
    s.ncurves = -1;
    s.total = ycurves(s.counts, s.ncurves);
    return s;
}

std::vector<double> runs(int curves, int rows_each) {
    std::vector<double> so;
    for (int c = 0; c < curves; ++c) so.insert(so.end(), rows_each + c, 10.0 * (c + 1));
    return so;
}

// One ten-millionth of the larger [So], in any units.
TEST(Ycurves, NewCurveBeyondOneTenMillionth) {
    Split s = split({1.0, 1.00000005, 1.00000009});
    EXPECT_EQ(s.ncurves, 1);
    EXPECT_EQ(s.counts[0], 3);
    s = split({1.0, 1.0000002});
    EXPECT_EQ(s.ncurves, 2);
    EXPECT_EQ(split({1.0, 1.0000001, 1.0000001}).ncurves, 1);  // 1.0000001 - 1 is below 1e-7 * 1.0000001
    EXPECT_EQ(split({50.0, 50.0 + 1e-7, 50.0 + 2e-7, 50.0 + 3e-7}).ncurves, 1);
    s = split({5e-8, 5e-8, 1e-7, 0.0, 0.0});
    EXPECT_EQ(s.ncurves, 3);
    EXPECT_EQ(s.counts[0], 2);
    EXPECT_EQ(s.counts[2], 2);
    // Compared with the curve's first row, not the previous one.
    s = split({1.0, 1.00000006, 1.00000012, 1.00000018});
    EXPECT_EQ(s.ncurves, 2);
    EXPECT_EQ(s.counts[0], 2);
    EXPECT_EQ(s.counts[1], 2);
}

TEST(Ycurves, ReturningToAnEarlierConcentrationStartsANewCurve) {
    const Split s = split({1, 1, 2, 2, 1, 1});
    EXPECT_EQ(s.ncurves, 3);
    EXPECT_EQ(s.total, 3);
    EXPECT_EQ(s.counts[0], 2);
    EXPECT_EQ(s.counts[1], 2);
    EXPECT_EQ(s.counts[2], 2);
    EXPECT_EQ(s.counts[3], 0);
}

TEST(Ycurves, OneRowIsOneCurve) {
    const Split s = split({5.0});
    EXPECT_EQ(s.ncurves, 1);
    EXPECT_EQ(s.counts[0], 1);
}

TEST(Ycurves, AtMostTenCurvesAreStoredButAllAreCounted) {
    for (int curves : {10, 11, 12}) {
        const Split s = split(runs(curves, 3));
        EXPECT_EQ(s.ncurves, 10) << curves;
        EXPECT_EQ(s.total, curves);
        for (int c = 0; c < 10; ++c) EXPECT_EQ(s.counts[c], 3 + c) << curves << " curve " << c;
    }
}

}  // namespace
}  // namespace imm
