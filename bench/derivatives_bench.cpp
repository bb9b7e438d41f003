// Cost of the gradient, the Jacobian and the robust weights on a full-size data set.
#include "bench/full_size_rows.h"
#include "model/derivatives.h"
#include "model/robust_weights.h"
#include "support/shared_blocks.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

constexpr std::array<double, 3> kParams{2.0, 0.45, 0.05};

void BM_Derivat(benchmark::State& state) {
    imm::bench::load_full_size_rows(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(imm::derivat(kParams));
}
BENCHMARK(BM_Derivat)->Arg(0)->Arg(2);

void BM_Jacobian(benchmark::State& state) {
    imm::bench::load_full_size_rows(state.range(0));
    static std::array<double, imm::kMaxRows * imm::kMaxParams> fjac;
    for (auto _ : state) benchmark::DoNotOptimize(imm::jacobian(imm::kMaxRows, 3, fjac, kParams));
}
BENCHMARK(BM_Jacobian)->Arg(0)->Arg(2);

void BM_RobustWeights(benchmark::State& state) {
    std::array<double, imm::kMaxRows> r;
    std::array<double, imm::kMaxRows> w;
    for (std::size_t k = 0; k < r.size(); ++k) r[k] = 0.01 * std::sin(1.3 * static_cast<double>(k));
    for (auto _ : state) {
        imm::robust_wt(r, w);
        benchmark::DoNotOptimize(w.data());
    }
}
BENCHMARK(BM_RobustWeights);

}  // namespace
