// The row kernel takes rows in blocks, side by side; each value must be
// func's, bit for bit, on every path of the exponential and of the Omega
// evaluation, and for every model.
#include "model/model_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/models.h"
#include "support/shared_blocks.h"

namespace imm {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Rows whose W arguments reach every path: the iterated steps, the series
// near 0, the special points, the clamp at 3e45, the logarithmic form for
// u >= 70, and times that are not finite; and whose exponents u reach every
// range of the exponential: 0, below 1e-16, a fraction below 1e-6, above 40.
// Repeated in shifted order to fill several blocks.
void load_rows() {
    const std::vector<std::array<double, 2>> rows = {
        {0.0, 50.0},    {40.0, 50.0},   {120.0, 50.0}, {1e4, 50.0},   {0.0, 1e-12}, {3.0, 1e-9},
        {0.0, 1.0},     {1e-3, 1e5},    {0.0, 5e3},    {0.0, 1e308},  {2.0, 0.5},   {kNaN, 10.0},
        {kInf, 10.0},   {-5.0, 10.0},   {7.5, 2.5e2},  {1e6, 1e-3},   {0.25, 8.4},  {33.0, 100.0},
        {60.0, 500.0},  {240.0, 500.0}, {0.0, 0.0},    {1.0, -4.0},   {5e2, 3e2},   {2.0, 2.4},
        {2.5, 2.5},     {0.0, 1e-17},   {0.0, 3.0000005},
    };
    constexpr std::size_t kCopies = 4;
    a3.ndata = static_cast<std::int64_t>(kCopies * rows.size());
    for (std::size_t k = 0; k < kCopies * rows.size(); ++k) {
        const auto& row = rows[(k + k / rows.size()) % rows.size()];
        a1.t[k] = row[0];
        a1.so[k] = row[1];
        a1.yobs[k] = 0.0;
    }
}

TEST(ModelRows, EqualFuncBitForBitOnEveryPathAndModel) {
    load_rows();
    const auto rows = static_cast<std::size_t>(a3.ndata);
    const std::vector<std::vector<double>> points = {
        {8.4, 1.2, 0.5},  {1e-6, 1e3, -2.0}, {5e3, 1e-4, 3.0}, {1.0, 1.0, 1.0},       {8.4, 0.0, 0.5},
        {-1.0, 1.0, 0.0}, {8.4, 1.2, kNaN},  {8.4, 1.2},       {kInf, 1.0, 0.0},      {2.0, 5e2, -1e3},
        {0.5, 0.5, 1e9},  {1e-300, 1.0, 0.0}, {3.0, 2.0, -7.5}, {1e300, 1e300, 0.0},
    };
    for (std::int64_t model = 0; model <= 7; ++model) {
        a1.nmdl = model;
        for (const auto& p : points) {
            // Ranges that start and end inside blocks.
            for (const std::array<std::size_t, 2> range : {std::array<std::size_t, 2>{0, rows},
                                                           std::array<std::size_t, 2>{3, 20},
                                                           std::array<std::size_t, 2>{9, 10},
                                                           std::array<std::size_t, 2>{30, 99}}) {
                std::array<double, kMaxRows> values{};
                model_rows(range[0], range[1], p, values);
                for (std::size_t k = range[0]; k < range[1]; ++k) {
                    const double expected = func(a1.t[k], a1.so[k], 0.0, p);
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(values[k]), std::bit_cast<std::uint64_t>(expected))
                        << "model " << model << " row " << k << " Km " << p[0] << ": " << values[k] << " vs "
                        << expected;
                }
            }
        }
    }
    a1.nmdl = 0;
}

}  // namespace
}  // namespace imm
