// Cost of the start values and of the local searches of stages 1 and 2 on a
// full-size data set.
#include "bench/full_size_rows.h"
#include "optimise/calcfg.h"
#include "optimise/coordinate_search.h"
#include "optimise/quasi_newton.h"
#include "optimise/random_search.h"
#include "optimise/simplex.h"
#include "optimise/start_values.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr std::array<double, 3> kStart{2.5, 0.4, 0.1};

void BM_InitEstimates(benchmark::State& state)
{
    imm::bench::load_full_size_rows();
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
    imm::bench::load_full_size_rows();
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
    imm::bench::load_full_size_rows();
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
    imm::bench::load_full_size_rows();
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
