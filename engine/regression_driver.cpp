#include "engine/regression_driver.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "engine/data_file_names.h"
#include "engine/data_file_scan.h"
#include "engine/data_file_text.h"
#include "engine/data_row.h"
#include "engine/model_loop.h"
#include "engine/run_failure.h"
#include "engine/run_workspace.h"
#include "model/curve_split.h"
#include "support/shared_blocks.h"
#include "support/system_reason.h"
#include "support/temporary_file.h"
#include "support/unit_files.h"
#include "support/unit_table.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr std::int64_t kWarning = kWarningBox;
constexpr std::int64_t kError = kErrorBox;
constexpr std::int64_t kMinRows = 3;
constexpr std::int64_t kColumns = 3;
constexpr std::int64_t kMinCurveRows = 3;

const std::string kRunAborted = "* * * WARNING: RUN ABORTED * * *";

using Failure = RunFailure;
using Check = RunCheck;

// The common exit: both units flushed and closed however the call ends.
class UnitsClosedAtExit {
public:
    ~UnitsClosedAtExit() {
        UnitTable& units = UnitTable::instance();
        for (const std::int64_t unit : {iinout.data_unit, iinout.results_unit}) {
            units.flush(unit);
            units.close(unit);
        }
    }
};

void set_run_constants(RunWorkspace& run) {
    limits.big_bound = 4.5e15;
    limits.machine_eps = 2.22e-16;
    a2.model_limit = kModelCount;
    run.stage3_tolerance = stage3_tolerance_for(limits.machine_eps);
    run.stage3_tolerance_large = 10.0 * run.stage3_tolerance;
}

void choose_units() {
    iinout.data_unit = 20;
    get_unit(iinout.data_unit);
    iinout.results_unit = 15;
    get_unit(iinout.results_unit);
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

// A data file that is not a regular file of bounded size is not read at all.
Check check_readable(const std::string& name, const DataFileText& text) {
    switch (text.fault) {
        case DataFileFault::none: return std::nullopt;
        case DataFileFault::unreadable:
            return Failure{kError, "Data input file error: " + name + ": " + system_reason(text.error), run_file_error};
        case DataFileFault::not_regular:
            return Failure{kError, "Data file is not a regular file: " + name, run_file_error};
        case DataFileFault::too_large:
            return Failure{kWarning,
                           "Data file is too large (more than " + std::to_string(kMaxDataFileBytes) +
                               " bytes): " + name,
                           run_bad_data};
    }
    return std::nullopt;
}

// Counts the rows and columns, then creates the temporary report.
Check count_and_open_report(const std::string& name, const DataFileText& text, TemporaryFile& report) {
    std::int64_t ncols = -1;
    std::int64_t ndata = 0;
    file_column_count(text.lines, ncols);
    data_row_count(text.lines, ndata);
    a3.ncols = ncols;
    a3.ndata = ndata;
    global_types.idat = ndata;

    const std::string report_file = report_name(name);
    if (same_file(name, report_file)) {
        return Failure{kWarning, "Data file and report file are the same: " + name, run_file_error};
    }
    std::string reason = report.create(report_file);
    if (reason.empty()) reason = report.connect(iinout.results_unit);
    if (!reason.empty()) {
        return Failure{kError, "Data output file error: " + report_file + ": " + reason, run_file_error};
    }
    return std::nullopt;
}

// Rows of numbers after the empty line that ends the data are not read; the run goes on.
void warn_of_rows_after_data(const DataFileText& text) {
    const RowsAfterData after = rows_after_empty_line(text.lines);
    if (after.number_rows == 0) return;
    const std::string rows = after.number_rows == 1 ? "1 row" : std::to_string(after.number_rows) + " rows";
    dlgmessage(kWarning, "The data end at the empty line " + std::to_string(after.empty_line) + "; " + rows +
                             " of numbers after it are not read.");
}

// The counted rows, once the count is in range.
std::span<const std::string> data_rows(const DataFileText& text) {
    return std::span(text.lines).first(static_cast<std::size_t>(a3.ndata));
}

Check check_counts(const DataFileText& text) {
    if (a3.ndata < kMinRows) {
        return Failure{kWarning,
                       "Too few data rows: " + std::to_string(a3.ndata) + "; at least " + std::to_string(kMinRows) +
                           " are needed, starting on the first line",
                       run_bad_data};
    }
    if (a3.ndata > kMaxRows) {
        return Failure{kWarning, "Data rows exceeded limit of " + std::to_string(kMaxRows), run_bad_data};
    }
    if (a3.ncols != kColumns) {
        // The columns are counted on the first line, which is a data row here.
        const std::string advice = number_format_advice(data_rows(text), 0);
        return Failure{kWarning, "Data columns not equal to " + std::to_string(kColumns) + advice, run_bad_data};
    }
    return std::nullopt;
}

// Reads the counted rows into a1 and their copies. No [So] may be below zero, and
// some must be above: a curve at [So] 0 is a control without substrate.
Check read_rows(const DataFileText& text, RunWorkspace& run) {
    a1.nmdl = global_types.imdlno;
    for (std::int64_t row = 1; row <= a3.ndata; ++row) {
        const std::string& line = text.lines[static_cast<std::size_t>(row - 1)];
        const auto values = parse_data_row(line);
        if (!values) {
            return Failure{kWarning,
                           "Data row " + std::to_string(row) + " is not three numbers: " + readable_row(line) +
                               number_format_advice(data_rows(text), static_cast<std::size_t>(row - 1)),
                           run_bad_data};
        }
        if (values->so < 0.0) {
            return Failure{kWarning,
                           "Data row " + std::to_string(row) + " has an [So] below zero: " + readable_row(line),
                           run_bad_data};
        }
        const auto i = static_cast<std::size_t>(row - 1);
        run.xtmp[i] = a1.t[i] = values->t;
        run.x2tmp[i] = a1.so[i] = values->so;
        run.ytmp[i] = a1.yobs[i] = values->y;
    }
    const auto end = run.x2tmp.begin() + a3.ndata;
    if (std::none_of(run.x2tmp.begin(), end, [](double so) { return so > 0.0; })) {
        return Failure{kWarning, "No data row has an [So] above zero", run_bad_data};
    }
    return std::nullopt;
}

// Product models need data that does not fall far below zero.
Check check_product_curve(const RunWorkspace& run) {
    if (a1.nmdl != 1 && a1.nmdl != 3) return std::nullopt;
    const auto rows = run.ytmp.begin() + a3.ndata;
    const auto [ymin, ymax] = std::minmax_element(run.ytmp.begin(), rows);
    if (std::abs(*ymin) > 0.5 * *ymax) {
        return Failure{kWarning, "Product minimum curve data must be < 0.5*MAX([Product])", run_product_check};
    }
    return std::nullopt;
}

Check split_curves(RunWorkspace& run) {
    std::int64_t ncurves = 0;
    const std::int64_t all = ycurves(run.id2, ncurves);
    global_types.idatasets = ncurves;
    if (all > kMaxCurves) {
        return Failure{kWarning, "Exceeded curve number limit (10) " + std::to_string(all), run_bad_data};
    }
    const auto counts = std::span(run.id2).first(static_cast<std::size_t>(ncurves));
    if (std::any_of(counts.begin(), counts.end(), [](std::int64_t n) { return n < kMinCurveRows; })) {
        return Failure{kWarning, "Single curve data must be > 3 points. ", run_bad_data};
    }
    return std::nullopt;
}

void list_models(RunWorkspace& run) {
    run.mdl_checked.fill(0);
    std::int64_t count = 0;
    for (std::int64_t m = 1; m <= kModelCount; ++m) {
        if (global_types.imdl[static_cast<std::size_t>(m - 1)] != 0) {
            run.mdl_checked[static_cast<std::size_t>(count++)] = m;
        }
    }
    global_types.global_mdl_count = count;
}

Check read_and_validate(const std::string& name, TemporaryFile& report, RunWorkspace& run) {
    const DataFileText text = read_data_file(name);
    if (auto failure = check_readable(name, text)) return failure;
    if (auto failure = count_and_open_report(name, text, report)) return failure;
    warn_of_rows_after_data(text);
    if (auto failure = check_counts(text)) return failure;
    if (auto failure = read_rows(text, run)) return failure;
    if (auto failure = check_product_curve(run)) return failure;
    return split_curves(run);
}

// The report takes the old one's place once a model section is in it, unless writing
// it failed.
Check keep_report(const RunWorkspace& run, const Check& failure, TemporaryFile& report, const std::string& name) {
    if (run.sections_written == 0 || (failure && failure->status == run_file_error)) return failure;
    if (const std::string reason = report.replace_target(); !reason.empty()) {
        return Failure{kError, "Data output file error: " + report_name(name) + ": " + reason, run_file_error};
    }
    return failure;
}

// The abort path: the failure's box, the RUN ABORTED box, the failure's status.
void abort_run(const Failure& failure, std::int64_t& status) {
    if (!failure.text.empty()) dlgmessage(failure.kind, failure.text);
    dlgmessage(kError, kRunAborted);
    status = failure.status;
}

}  // namespace

void sorvek_with(std::string& name, std::int64_t& status, RandomContext& random, const RunOptions& options) {
    status = run_finished;
    const auto run = std::make_unique<RunWorkspace>();
    set_run_constants(*run);
    choose_units();
    TemporaryFile report;  // the report, until the run puts it in the old one's place
    const UnitsClosedAtExit common_exit;

    name = completed_data_name(name);
    if (!file_name_exists(name)) {
        dlgmessage(kWarning, "File does not exist: " + name);
        dlgmessage(kError, "* * * OPEN ANOTHER DATA FILE * * *");
        status = run_missing_file;
        return;
    }
    if (const auto failure = read_and_validate(name, report, *run)) {
        abort_run(*failure, status);
        return;
    }
    list_models(*run);
    if (!options.fit_models) return;
    const Check fitted = fit_chosen_models(*run, report_name(name), random, options);
    if (const auto failure = keep_report(*run, fitted, report, name)) abort_run(*failure, status);
}

}  // namespace imm
