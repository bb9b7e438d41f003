// libFuzzer target: the input becomes a data file, which the driver reads and
// checks end to end with the headless window layer. Besides the sanitizers it
// stops on any broken promise of a run: its status, its boxes, the data it leaves.
// The fit that follows a valid file is left out: under the fuzzer's
// instrumentation a fit of 1000 rows takes over a minute.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/window/headless_backend.h"
#include "engine/regression_driver.h"
#include "support/shared_blocks.h"
#include "support/unit_table.h"

namespace {

namespace fs = std::filesystem;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

const fs::path& work_folder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("sorvek_fuzz_" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace imm;
    const fs::path file = work_folder() / "data.in";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // The current model follows the input's length, so every model meets every kind of data.
    const std::int64_t model = 1 + static_cast<std::int64_t>(size % 6);
    for (auto& flag : global_types.imdl) flag = 0;
    global_types.imdl[static_cast<std::size_t>(model - 1)] = 1;
    global_types.imdlno = model;

    HeadlessSession session;
    std::string name = (work_folder() / "data").string();
    std::int64_t status = -1;
    RandomContext random = RandomContext::seeded(size);
    sorvek_with(name, status, random, RunOptions{.show_plots = false, .fit_models = false, .on_fit = {}});

    const auto boxes = session.record().messages;
    require(name == file.string(), "name completion");
    require(!UnitTable::instance().opened(iinout.data_unit), "data unit closed");
    require(!UnitTable::instance().opened(iinout.results_unit), "report unit closed");
    if (status == run_finished) {
        require(boxes.empty(), "no box after a finished run");
        require(a3.ndata >= 3 && a3.ndata <= kMaxRows, "row count in range");
        require(a3.ncols == 3, "three columns");
        require(global_types.idatasets >= 1 && global_types.idatasets <= kMaxCurves, "curve count in range");
        require(global_types.global_mdl_count == 1, "one model listed");
        for (std::int64_t i = 0; i < a3.ndata; ++i) {
            const auto k = static_cast<std::size_t>(i);
            require(std::isfinite(a1.t[k]) && std::isfinite(a1.so[k]) && std::isfinite(a1.yobs[k]), "finite data");
        }
    } else {
        require(status == run_file_error || status == run_bad_data || status == run_product_check, "status");
        require(boxes.size() == 2 && boxes[1].text == "* * * WARNING: RUN ABORTED * * *", "abort boxes");
    }
    return 0;
}
