// Cost of the objective's value path beside its full path, and of one model
// evolution, on a full-size data set.
#include "optimise/calcfg.h"
#include "optimise/model_evolution.h"
#include "support/shared_blocks.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

// 1000 rows of model 2 on ten curves, with a little deterministic noise.
void load_rows(std::int64_t weight_mode)
{
    imm::a1.nmdl = 2;
    imm::a2.model_limit = 6;
    imm::a3.ndata = imm::kMaxRows;
    imm::global_types.idat = imm::kMaxRows;
    imm::a3.nparam = 3;
    imm::a3.weight_mode = weight_mode;
    for (std::int64_t k = 0; k < imm::kMaxRows; ++k) {
        imm::a1.t[k] = 0.1 * static_cast<double>(k % 100 + 1);
        imm::a1.so[k] = 0.5 * static_cast<double>(k / 100 + 1);
        imm::a1.yobs[k] = imm::a1.so[k] * (1.0 - std::exp(-0.2 * imm::a1.t[k])) + 0.01 * std::sin(1.3 * k);
    }
}

constexpr std::array<double, 3> kParams{2.0, 0.45, 0.05};

void BM_CalcfgValue(benchmark::State& state)
{
    load_rows(state.range(0));
    imm::Calcfg calcfg;
    for (auto _ : state) benchmark::DoNotOptimize(calcfg.value(kParams));
}
BENCHMARK(BM_CalcfgValue)->Arg(0)->Arg(2);

void BM_CalcfgFull(benchmark::State& state)
{
    load_rows(state.range(0));
    imm::Calcfg calcfg;
    imm::ObjectiveDerivatives derivatives;
    for (auto _ : state) benchmark::DoNotOptimize(calcfg.evaluate(kParams, derivatives));
}
BENCHMARK(BM_CalcfgFull)->Arg(0)->Arg(2);

// One stage-1 evolution of at most 500 generations, as the driver runs it.
void BM_Evolve(benchmark::State& state)
{
    load_rows(state.range(0));
    imm::ModelEvolutionOptions options;
    options.max_generations = 500;
    std::int64_t evaluations = 0;
    for (auto _ : state) {
        imm::RandomContext random = imm::RandomContext::seeded(1);
        const auto result = imm::evolve(kParams, 1e9, options, random);
        evaluations = result.evaluations;
        benchmark::DoNotOptimize(result.value);
    }
    state.counters["evaluations"] = static_cast<double>(evaluations);
}
BENCHMARK(BM_Evolve)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
