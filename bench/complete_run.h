// A whole Run of all six models through the headless window layer, without the
// plot and its waits. Prints, at its first run when asked, the time and the
// objective evaluations of each stage of each model.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/model_fit.h"
#include "engine/regression_driver.h"
#include "support/shared_blocks.h"
#include "window/headless_backend.h"

namespace imm::bench {

inline void run_all_models(benchmark::State& state, const std::filesystem::path& data, bool print_stages = true) {
    namespace fs = std::filesystem;
    HeadlessSession session;
    const fs::path folder = fs::temp_directory_path() / "sorvek_complete_run_bench";
    fs::create_directories(folder);
    const fs::path file = folder / data.filename();
    fs::copy_file(data, file, fs::copy_options::overwrite_existing);
    for (auto& flag : global_types.imdl) flag = 1;
    global_types.imdlno = 1;
    global_types.nwt_global = 0;

    bool first = print_stages;
    RunOptions options;
    options.on_fit = [&first](std::int64_t model, const ModelFitResult& fit) {
        if (!first) return;
        std::printf("model %lld:", static_cast<long long>(model));
        for (std::size_t s = 0; s < fit.stages.size(); ++s) {
            std::printf("  stage %zu %8.4f s %9lld evaluations", s + 1, fit.stages[s].seconds,
                        static_cast<long long>(fit.stages[s].evaluations));
        }
        std::printf("  ssq %.10g\n", fit.ssq3);
    };
    for (auto _ : state) {
        global_types.brerun = false;
        RandomContext random = RandomContext::seeded(1);
        std::string name = file.string();
        std::int64_t status = -1;
        sorvek_with(name, status, random, options);
        first = false;
        if (status != run_finished) state.SkipWithError("the run did not finish");
    }
    fs::remove_all(folder);
}

}  // namespace imm::bench
