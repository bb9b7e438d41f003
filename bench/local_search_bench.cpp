// Cost of the start values and of the local searches of stages 1 and 2 on a
// full-size data set.
#include "optimise/calcfg.h"
#include "optimise/coordinate_search.h"
#include "optimise/quasi_newton.h"
#include "optimise/random_search.h"
#include "optimise/simplex.h"
#include "optimise/start_values.h"
#include "support/shared_blocks.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

// 1000 rows of model 2 on ten curves, with a little deterministic noise.
void load_rows()
{
    imm::a1.nmdl = 2;
    imm::global_types.imdlno = 2;
    imm::a2.model_limit = 6;
    imm::a3.ndata = imm::kMaxRows;
    imm::global_types.idat = imm::kMaxRows;
    imm::a3.nparam = 3;
    imm::a3.weight_mode = 0;
    for (std::int64_t k = 0; k < imm::kMaxRows; ++k) {
        imm::a1.t[k] = 0.1 * static_cast<double>(k % 100 + 1);
        imm::a1.so[k] = 0.5 * static_cast<double>(k / 100 + 1);
        imm::a1.yobs[k] = imm::a1.so[k] * (1.0 - std::exp(-0.2 * imm::a1.t[k])) + 0.01 * std::sin(1.3 * k);
    }
}

constexpr std::array<double, 3> kStart{2.5, 0.4, 0.1};

void BM_InitEstimates(benchmark::State& state)
{
    load_rows();
    std::array<double, 3> p{};
    for (auto _ : state) {
        imm::RandomContext random = imm::RandomContext::seeded(1);
        imm::init_estimates(p, random);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_InitEstimates)->Unit(benchmark::kMillisecond);

// The simplex of stage 1 with its kicks, at most 500 iterations.
void BM_Simplex(benchmark::State& state)
{
    load_rows();
    imm::Calcfg calcfg;
    imm::SimplexOptions options;
    for (auto _ : state) {
        imm::RandomContext random = imm::RandomContext::seeded(1);
        std::array<double, 3> p = kStart;
        benchmark::DoNotOptimize(imm::simplex(calcfg, p, random, options).f);
    }
}
BENCHMARK(BM_Simplex)->Unit(benchmark::kMillisecond);

// One pass of the stage-2 loop: the coordinate search and ten random-search passes.
void BM_StageTwoPass(benchmark::State& state)
{
    load_rows();
    imm::Calcfg calcfg;
    const std::array<double, 3> lo{0, 0, -0.5}, hi{250, 40, 0.5};
    for (auto _ : state) {
        imm::RandomContext random = imm::RandomContext::seeded(1);
        std::array<double, 3> p = kStart;
        double seed = 0.5;
        const double f = imm::asearch(p, lo, hi, calcfg.value(p), random).f;
        benchmark::DoNotOptimize(f);
        benchmark::DoNotOptimize(imm::dorunrun(calcfg, p, seed, random, {10}).f);
    }
}
BENCHMARK(BM_StageTwoPass)->Unit(benchmark::kMillisecond);

// The quasi-Newton minimiser with the driver's limit of 250 evaluations.
void BM_QuasiNewton(benchmark::State& state)
{
    load_rows();
    imm::Calcfg calcfg;
    const std::array<double, 3> lo{0, 0, -0.5}, hi{250, 40, 0.5};
    for (auto _ : state) {
        std::array<double, 3> p = kStart;
        std::array<double, 6> h{};
        benchmark::DoNotOptimize(imm::va10e(calcfg, p, lo, hi, h, 1, 250).f);
    }
}
BENCHMARK(BM_QuasiNewton)->Unit(benchmark::kMillisecond);

}  // namespace
