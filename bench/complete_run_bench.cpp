// A whole Run of all six models through the headless window layer, without
// the plot and its waits, on the example file and on ten curves of 100 rows.
// Prints the time and the objective evaluations of each stage of each model.
//   cmake -S . -B build-bench -DSORVEK_BUILD_APP=OFF -DSORVEK_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target sorvek_bench -j3
//   ./build-bench/sorvek_bench --benchmark_filter=CompleteRun
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/window/headless_backend.h"
#include "engine/model_fit.h"
#include "engine/regression_driver.h"
#include "support/shared_blocks.h"

namespace {

namespace fs = std::filesystem;

void run_all_models(benchmark::State& state, const fs::path& data) {
    imm::HeadlessSession session;
    const fs::path folder = fs::temp_directory_path() / "sorvek_complete_run_bench";
    fs::create_directories(folder);
    const fs::path file = folder / data.filename();
    fs::copy_file(data, file, fs::copy_options::overwrite_existing);
    for (auto& flag : imm::global_types.imdl) flag = 1;
    imm::global_types.imdlno = 1;
    imm::global_types.nwt_global = 0;

    bool first = true;
    imm::RunOptions options{.show_plots = false, .on_fit = {}};
    options.on_fit = [&first](std::int64_t model, const imm::ModelFitResult& fit) {
        if (!first) return;
        std::printf("model %lld:", static_cast<long long>(model));
        for (std::size_t s = 0; s < fit.stages.size(); ++s) {
            std::printf("  stage %zu %8.4f s %9lld evaluations", s + 1, fit.stages[s].seconds,
                        static_cast<long long>(fit.stages[s].evaluations));
        }
        std::printf("  ssq %.10g\n", fit.ssq3);
    };
    for (auto _ : state) {
        imm::global_types.brerun = false;
        imm::RandomContext random = imm::RandomContext::seeded(1);
        std::string name = file.string();
        std::int64_t status = -1;
        imm::sorvek_with(name, status, random, options);
        first = false;
        if (status != imm::run_finished) state.SkipWithError("the run did not finish");
    }
    fs::remove_all(folder);
}

void BM_CompleteRunExample(benchmark::State& state) {
    run_all_models(state, fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in");
}
BENCHMARK(BM_CompleteRunExample)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CompleteRunTenCurves(benchmark::State& state) {
    run_all_models(state, fs::path(SORVEK_SOURCE_DIR) / "bench" / "data" / "ten_curves.in");
}
BENCHMARK(BM_CompleteRunTenCurves)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
