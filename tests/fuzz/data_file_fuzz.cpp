// libFuzzer target: the input becomes a data file, which the driver reads and
// checks end to end with the headless window layer. Besides the sanitizers it
// stops on any broken promise of a run: its status, its boxes, the data it leaves.
// The fit is left to the target that fits small inputs (data_file_fit_fuzz.cpp).
#include "tests/fuzz/fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace imm;
    using namespace imm::fuzzing;
    RunOptions options;
    options.fit_models = false;
    const FuzzRun run = run_on_input(data, size, options);
    require(!run.report_written, "no report without a model section");
    if (run.status == run_finished) {
        // At most the warning of rows cut off by an empty line.
        require(run.boxes.size() <= 1, "no box after a finished run but the warning");
        require_rows_read();
    }
    return 0;
}
