// The model values of a large data set are shared among the row pool's threads
// and summed in row order: every result is the same bit for bit whatever the
// number of threads. Each check runs the same work on pools of different sizes.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/model_fit.h"
#include "engine/progress_title.h"
#include "model/derivatives.h"
#include "model/models.h"
#include "optimise/coordinate_search.h"
#include "optimise/model_objective.h"
#include "optimise/start_values.h"
#include "support/row_pool.h"
#include "support/shared_blocks.h"

namespace imm {
namespace {

constexpr std::int64_t kRows = 300;  // three curves of 100 rows: above the pool's threshold
static_assert(kRows >= static_cast<std::int64_t>(RowPool::kParallelFrom));

// Model 2 with a little deterministic noise.
void load_rows(std::int64_t weight_mode) {
    a1.nmdl = 2;
    global_types.imdlno = 2;
    a2.model_limit = 6;
    a3.ndata = kRows;
    a3.nparam = 3;
    a3.weight_mode = weight_mode;
    global_types.idat = kRows;
    limits = Limits{};
    const std::array<double, 3> truth{2.0, 1.0, 0.3};
    for (std::size_t k = 0; k < static_cast<std::size_t>(kRows); ++k) {
        a1.t[k] = 0.1 * static_cast<double>(k % 100 + 1);
        a1.so[k] = 0.5 * static_cast<double>(k / 100 + 1);
        a1.yobs[k] = func(a1.t[k], a1.so[k], 0.0, truth) + 0.01 * std::sin(1.3 * static_cast<double>(k));
    }
}

// The bits of every value a computation gave, in the order it gave them.
class Bits {
public:
    void add(double value) { bits_.push_back(std::bit_cast<std::uint64_t>(value)); }
    void add(std::int64_t value) { bits_.push_back(static_cast<std::uint64_t>(value)); }
    template <std::size_t N>
    void add(const std::array<double, N>& values) {
        for (const double value : values) add(value);
    }
    const std::vector<std::uint64_t>& bits() const { return bits_; }

private:
    std::vector<std::uint64_t> bits_;
};

constexpr std::array<double, kMaxParams> kPoint{2.1, 0.9, 0.25};

// The start values, a coordinate search, and the sums, gradient and Jacobian
// of the statistics, unweighted and robustly weighted.
Bits search_and_statistics_on(std::size_t threads) {
    RowPool pool(threads);
    RowPoolScope scope(pool);
    Bits out;
    for (const std::int64_t weight_mode : {0, 2}) {
        load_rows(weight_mode);
        RandomContext random = RandomContext::seeded(3);
        std::array<double, kMaxParams> start{};
        init_estimates(start, random);
        out.add(start);

        std::array<double, 3> p{kPoint[0], kPoint[1], kPoint[2]};
        const std::array<double, 3> lo{0.0, 0.0, -1.0}, hi{200.0, 100.0, 1.0};
        ModelSumOfSquares sum_of_squares(weight_mode);
        const CoordinateSearchResult searched = asearch(p, lo, hi, sum_of_squares.value(p), random);
        out.add(searched.f);
        for (const double value : p) out.add(value);

        const Gradient gradient = derivat(kPoint);
        out.add(gradient.grad);
        out.add(gradient.ssq);
        std::vector<double> fjac(static_cast<std::size_t>(kMaxRows * kMaxParams));
        out.add(jacobian(kRows, 3, fjac, kPoint));
        for (const double value : fjac) out.add(value);
        out.add(a1.ycalc);
    }
    return out;
}

// A whole fit of the three stages from the start values.
Bits fit_on(std::size_t threads) {
    RowPool pool(threads);
    RowPoolScope scope(pool);
    load_rows(0);
    RandomContext random = RandomContext::seeded(5);
    std::array<double, kMaxParams> start{};
    const auto box_reference = init_estimates(start, random);
    const ParameterBox box = fit_bounds(2, 3, box_reference, kRows, a1);
    ProgressTitle title;
    const ModelFitResult fit = fit_model(std::span(start).first(3), std::span(box_reference).first(3), box,
                                         2.979932929550268e-07, title, random);
    Bits out;
    out.add(fit.params);
    out.add(fit.ssq1);
    out.add(fit.ssq2);
    out.add(fit.ssq3);
    out.add(fit.stage3_code);
    out.add(fit.stage3_iterations);
    out.add(fit.convergence_measure);
    for (const StageTally& stage : fit.stages) out.add(stage.evaluations);
    return out;
}

TEST(ThreadCount, SearchesAndStatisticsGiveTheSameBitsOnOneAndOnManyThreads) {
    const Bits one = search_and_statistics_on(1);
    for (const std::size_t threads : {3u, 8u}) {
        EXPECT_EQ(search_and_statistics_on(threads).bits(), one.bits()) << threads << " threads";
    }
}

// Points taken side by side, each on one thread, give the values the sum
// gives one point at a time, in every weighting mode and with held weights.
TEST(ThreadCount, PointsSideBySideGiveTheSumOfEachPoint) {
    std::array<double, kMaxRows> held{};
    for (std::size_t k = 0; k < held.size(); ++k) held[k] = 0.5 + 0.01 * static_cast<double>(k % 7);
    for (const std::size_t threads : {1u, 8u}) {
        RowPool pool(threads);
        RowPoolScope scope(pool);
        for (const std::int64_t weight_mode : {0, 1, 2}) {
            load_rows(weight_mode);
            for (const bool with_held : {false, true}) {
                // 40 points share the pool; 3 points are too few to.
                for (const std::size_t count : {40u, 3u}) {
                    std::vector<double> points;
                    for (std::size_t i = 0; i < count; ++i) {
                        const double shift = 1.0 + 0.03 * static_cast<double>(i);
                        points.insert(points.end(), {kPoint[0] * shift, kPoint[1] / shift, kPoint[2] - 0.01 * static_cast<double>(i)});
                    }
                    ModelSumOfSquares side_by_side(weight_mode, with_held ? HeldWeights(held.data(), kRows) : HeldWeights{});
                    ModelSumOfSquares one_by_one(weight_mode, with_held ? HeldWeights(held.data(), kRows) : HeldWeights{});
                    std::vector<double> values(count);
                    side_by_side.values(points, 3, values);
                    for (std::size_t i = 0; i < count; ++i) {
                        const double expected = one_by_one.value(std::span<const double>(points).subspan(3 * i, 3));
                        EXPECT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(expected))
                            << threads << " threads, mode " << weight_mode << ", point " << i;
                    }
                }
            }
        }
    }
}

TEST(ThreadCount, AFitGivesTheSameBitsOnOneAndOnManyThreads) {
    const Bits one = fit_on(1);
    EXPECT_EQ(fit_on(8).bits(), one.bits());
}

}  // namespace
}  // namespace imm
