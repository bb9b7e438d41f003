// What the two fuzz targets share: the input written as a data file in a folder
// of its own, one model chosen by the input's length, a run of the driver with
// the headless window layer, and the promises every run keeps.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/regression_driver.h"
#include "support/shared_blocks.h"
#include "support/unit_table.h"
#include "window/headless_backend.h"

namespace imm::fuzzing {

namespace fs = std::filesystem;

inline void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

inline const fs::path& work_folder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("sorvek_fuzz_" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

inline const std::string kRunAborted = "* * * WARNING: RUN ABORTED * * *";

struct FuzzRun {
    std::int64_t status = -1;
    std::vector<std::string> boxes;
    bool report_written = false;
};

// Runs the driver on the input as data.in, with no report beside it before.
inline FuzzRun run_on_input(const std::uint8_t* data, std::size_t size, const RunOptions& options) {
    const fs::path file = work_folder() / "data.in";
    const fs::path report = work_folder() / "data.out";
    fs::remove(report);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // The current model follows the input's length, so every model meets every kind of data.
    const std::int64_t model = 1 + static_cast<std::int64_t>(size % 6);
    for (auto& flag : global_types.imdl) flag = 0;
    global_types.imdl[static_cast<std::size_t>(model - 1)] = 1;
    global_types.imdlno = model;

    HeadlessSession session;
    std::string name = (work_folder() / "data").string();
    FuzzRun run;
    RandomContext random = RandomContext::seeded(size);
    sorvek_with(name, run.status, random, options);
    for (const auto& message : session.record().messages) run.boxes.push_back(message.text);

    require(name == file.string(), "name completion");
    require(!UnitTable::instance().opened(iinout.data_unit), "data unit closed");
    require(!UnitTable::instance().opened(iinout.results_unit), "report unit closed");
    require(!run.boxes.empty() || run.status == run_finished, "a failed run says why");
    if (run.status != run_finished) {
        require(run.status == run_file_error || run.status == run_bad_data || run.status == run_product_check ||
                    run.status == run_model_limits,
                "status");
        require(run.boxes.back() == kRunAborted, "abort box last");
    }
    // Nothing but the data and the report is left beside them.
    run.report_written = fs::exists(report);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(work_folder())) ++files;
    require(files == (run.report_written ? 2u : 1u), "no temporary or empty file left");
    return run;
}

// The rows read: within the limits, finite, with no [So] below zero.
inline void require_rows_read() {
    require(a3.ndata >= 3 && a3.ndata <= kMaxRows, "row count in range");
    require(a3.ncols == 3, "three columns");
    require(global_types.idatasets >= 1 && global_types.idatasets <= kMaxCurves, "curve count in range");
    require(global_types.global_mdl_count == 1, "one model listed");
    for (std::int64_t i = 0; i < a3.ndata; ++i) {
        const auto k = static_cast<std::size_t>(i);
        require(std::isfinite(a1.t[k]) && std::isfinite(a1.yobs[k]), "finite data");
        require(std::isfinite(a1.so[k]) && a1.so[k] >= 0.0, "no [So] below zero");
    }
}

}  // namespace imm::fuzzing
