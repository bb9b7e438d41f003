// A whole Run of all six models on the example file and on ten curves of 100
// rows, on the program's row pool.
//   cmake -S . -B build-bench -DSORVEK_BUILD_APP=OFF -DSORVEK_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target sorvek_bench -j3
//   ./build-bench/sorvek_bench --benchmark_filter=CompleteRun
#include <filesystem>

#include "bench/complete_run.h"

namespace {

namespace fs = std::filesystem;
using imm::bench::run_all_models;

void BM_CompleteRunExample(benchmark::State& state) {
    run_all_models(state, fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in");
}
BENCHMARK(BM_CompleteRunExample)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CompleteRunTenCurves(benchmark::State& state) {
    run_all_models(state, fs::path(SORVEK_SOURCE_DIR) / "bench" / "data" / "ten_curves.in");
}
BENCHMARK(BM_CompleteRunTenCurves)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
