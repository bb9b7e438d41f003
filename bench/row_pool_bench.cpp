// What sharing the rows among threads gains: the model's sum of squares, the
// start values and a complete run on ten curves of 100 rows, on pools of 1 to
// 8 threads, the caller included. The sum runs
// on the pool at every row count, so that the row count from which the pool
// pays off can be read off. Run the sizes side by side on a shared machine:
//   ./build-bench/sorvek_bench --benchmark_filter=OnPool --benchmark_repetitions=5 \
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>

#include "bench/complete_run.h"
#include "bench/full_size_rows.h"
#include "optimise/model_objective.h"
#include "optimise/start_values.h"
#include "support/row_pool.h"

namespace {

constexpr std::array<double, 3> kParams{2.0, 0.45, 0.05};

void BM_SumOfSquaresOnPool(benchmark::State& state) {
    imm::bench::load_full_size_rows();
    imm::a3.ndata = state.range(1);
    imm::RowPool pool(static_cast<std::size_t>(state.range(0)), 1);
    imm::RowPoolScope scope(pool);
    imm::ModelSumOfSquares objective(0);
    for (auto _ : state) benchmark::DoNotOptimize(objective.value(kParams));
}
BENCHMARK(BM_SumOfSquaresOnPool)
    ->ArgNames({"threads", "rows"})
    ->ArgsProduct({{1, 2, 3, 4, 6, 8}, {32, 48, 64, 96, 128, 256, 512, 1000}})
    ->UseRealTime();

void BM_InitEstimatesOnPool(benchmark::State& state) {
    imm::bench::load_full_size_rows();
    imm::RowPool pool(static_cast<std::size_t>(state.range(0)));
    imm::RowPoolScope scope(pool);
    std::array<double, 3> p{};
    for (auto _ : state) {
        imm::RandomContext random = imm::RandomContext::seeded(1);
        imm::init_estimates(p, random);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_InitEstimatesOnPool)->ArgName("threads")->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TenCurvesOnPool(benchmark::State& state) {
    imm::RowPool pool(static_cast<std::size_t>(state.range(0)));
    imm::RowPoolScope scope(pool);
    imm::bench::run_all_models(
        state, std::filesystem::path(SORVEK_SOURCE_DIR) / "bench" / "data" / "ten_curves.in", false);
}
BENCHMARK(BM_TenCurvesOnPool)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(6)->Arg(8)->Iterations(1)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
