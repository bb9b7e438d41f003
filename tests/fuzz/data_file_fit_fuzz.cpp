// libFuzzer target: a small input (at most 40 data rows) becomes a data file that
// the driver reads, fits with one model, analyses for breakpoints and reports,
// with the optimisers' limits lowered so that one input takes a small fraction of
// a second under the fuzzer's instrumentation. It stops on any broken promise of
// a finished run: a report that ends as it should, without a field of asterisks,
// and finite saved parameters; a run that does not end is a timeout.
#include <algorithm>

#include "engine/data_file_scan.h"
#include "engine/data_file_text.h"
#include "tests/file_contents.h"
#include "tests/fuzz/fuzz_run.h"

namespace {

constexpr std::int64_t kMaxFittedRows = 40;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace imm;
    using namespace imm::fuzzing;
    std::int64_t rows = 0;
    data_row_count(split_lines(std::string(reinterpret_cast<const char*>(data), size)), rows);
    if (rows > kMaxFittedRows) return -1;  // left to the reading target

    RunOptions options;
    options.stage_limits = StageLimits{.generations = 10,
                                       .simplex_iterations = 20,
                                       .stage2_passes = 1,
                                       .quasi_newton_evaluations = 20,
                                       .sqp_iterations = 5,
                                       .sqp_passes = 1,
                                       .robust_rounds = 1};
    options.break_limits = BreakLimits{.generations = 20,
                                       .hit_and_run_moves = 10,
                                       .simplex_iterations = 20,
                                       .quasi_newton_evaluations = 20,
                                       .profile_evaluations = 100};
    const FuzzRun run = run_on_input(data, size, options);
    if (run.status != run_finished) {
        require(!run.report_written, "no report without a model section");
        return 0;
    }
    require_rows_read();
    require(run.report_written, "a finished run has its report");
    const std::string report = test::read_file(work_folder() / "data.out");
    require(report.ends_with(" SAVED TO: " + (work_folder() / "data.out").string() + "\n"), "closing record");
    require(report.find("**") == std::string::npos, "every number readable");
    require(std::all_of(global_types.varsav.begin(), global_types.varsav.end(),
                        [](double p) { return std::isfinite(p); }),
            "finite saved parameters");
    return 0;
}
