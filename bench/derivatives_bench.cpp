// Cost of the gradient, the Jacobian and the robust weights on a full-size data set.
#include "engine/derivatives.h"
#include "engine/robust_weights.h"
#include "support/shared_blocks.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

// 1000 rows of model 2 on ten curves, with a little deterministic noise.
void load_rows(std::int64_t weight_mode) {
    imm::a1.nmdl = 2;
    imm::a3.ndata = imm::kMaxRows;
    imm::a3.nparam = 3;
    imm::a3.weight_mode = weight_mode;
    for (std::int64_t k = 0; k < imm::kMaxRows; ++k) {
        imm::a1.t[k] = 0.1 * static_cast<double>(k % 100 + 1);
        imm::a1.so[k] = 0.5 * static_cast<double>(k / 100 + 1);
        imm::a1.yobs[k] = imm::a1.so[k] * (1.0 - std::exp(-0.2 * imm::a1.t[k])) + 0.01 * std::sin(1.3 * k);
    }
}

constexpr std::array<double, 3> kParams{2.0, 0.45, 0.05};

void BM_Derivat(benchmark::State& state) {
    load_rows(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(imm::derivat(kParams));
}
BENCHMARK(BM_Derivat)->Arg(0)->Arg(2);

void BM_Jacobian(benchmark::State& state) {
    load_rows(state.range(0));
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
