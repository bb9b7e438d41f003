// Cost of the objective's value path beside its full path, and of one model
// evolution, on a full-size data set.
#include "bench/full_size_rows.h"
#include "optimise/calcfg.h"
#include "optimise/model_evolution.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr std::array<double, 3> kParams{2.0, 0.45, 0.05};

void BM_CalcfgValue(benchmark::State& state)
{
    imm::bench::load_full_size_rows(state.range(0));
    imm::Calcfg calcfg;
    for (auto _ : state) benchmark::DoNotOptimize(calcfg.value(kParams));
}
BENCHMARK(BM_CalcfgValue)->Arg(0)->Arg(2);

void BM_CalcfgFull(benchmark::State& state)
{
    imm::bench::load_full_size_rows(state.range(0));
    imm::Calcfg calcfg;
    imm::ObjectiveDerivatives derivatives;
    for (auto _ : state) benchmark::DoNotOptimize(calcfg.evaluate(kParams, derivatives));
}
BENCHMARK(BM_CalcfgFull)->Arg(0)->Arg(2);

// One stage-1 evolution of at most 500 generations, as the driver runs it.
void BM_Evolve(benchmark::State& state)
{
    imm::bench::load_full_size_rows(state.range(0));
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
