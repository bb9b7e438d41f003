#include "engine/regression_driver.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "app/window/window.h"
#include "engine/curve_split.h"
#include "engine/data_file_names.h"
#include "engine/data_file_scan.h"
#include "engine/data_row.h"
#include "engine/model_loop.h"
#include "engine/run_failure.h"
#include "engine/run_workspace.h"
#include "support/shared_blocks.h"
#include "support/unit_files.h"
#include "support/unit_table.h"

namespace imm {

namespace {

constexpr std::int64_t kWarning = kWarningBox;
constexpr std::int64_t kError = kErrorBox;
constexpr std::int64_t kOpenAttempts = 3;
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

enum class FirstOpen { opened, missing, failed };

// Makes sure the data file exists and can be opened, trying a few times.
FirstOpen data_file_opens(const std::string& name) {
    UnitTable& units = UnitTable::instance();
    for (std::int64_t attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (!file_name_exists(name)) return FirstOpen::missing;
        file_close_by_name(iinout.data_unit, name);
        file_close_by_name(iinout.results_unit, name);
        const bool opened = units.open(iinout.data_unit, name, OpenMode::existing) == io_ok;
        units.close(iinout.data_unit);
        if (opened) return FirstOpen::opened;
    }
    return FirstOpen::failed;
}

Failure data_input_error() { return {kError, "Data input file error at Line 380", run_file_error}; }

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

// The report is opened for writing; a file that can only be read does not do.
bool open_report(const std::string& report) {
    if (UnitTable::instance().open(iinout.results_unit, report, OpenMode::create) != io_ok) return false;
    return std::ofstream(report, std::ios::app).is_open();
}

// Counts the rows and columns, then opens the data file for reading and the report.
Check open_files(const std::string& name) {
    std::int64_t ncols = -1;
    std::int64_t ndata = 0;
    file_column_count(iinout.data_unit, name, ncols);
    data_row_count(iinout.data_unit, name, ndata);
    a3.ncols = ncols;
    a3.ndata = ndata;
    global_types.idat = ndata;

    const std::string report = report_name(name);
    if (same_file(name, report)) {
        return Failure{kWarning, "Data file and report file are the same: " + shown_name(name), run_file_error};
    }
    if (UnitTable::instance().open(iinout.data_unit, name, OpenMode::existing) != io_ok) return data_input_error();
    if (!open_report(report)) return Failure{kError, "Data output file error at Line 395", run_file_error};
    UnitTable::instance().flush(iinout.data_unit);
    UnitTable::instance().flush(iinout.results_unit);
    return std::nullopt;
}

Check check_counts() {
    if (a3.ndata < kMinRows || a3.ndata > kMaxRows) {
        return Failure{kWarning, "Data rows exceeded limit of " + std::to_string(kMaxRows), run_bad_data};
    }
    if (a3.ncols != kColumns) {
        return Failure{kWarning, "Data columns not equal to " + std::to_string(kColumns), run_bad_data};
    }
    return std::nullopt;
}

// Reads the counted rows into a1 and their copies. A file that got shorter since it
// was counted keeps the rows read, which are counted again.
Check read_rows(RunWorkspace& run) {
    a1.nmdl = global_types.imdlno;
    std::string line;
    std::int64_t rows = 0;
    while (rows < a3.ndata && UnitTable::instance().read_line(iinout.data_unit, line) == io_ok) {
        const auto values = parse_data_row(line);
        if (!values) {
            return Failure{kWarning, "Data row " + std::to_string(rows + 1) + " is not three numbers: " + line,
                           run_bad_data};
        }
        const auto i = static_cast<std::size_t>(rows++);
        run.xtmp[i] = a1.t[i] = values->t;
        run.x2tmp[i] = a1.so[i] = values->so;
        run.ytmp[i] = a1.yobs[i] = values->y;
    }
    if (rows == a3.ndata) return std::nullopt;
    a3.ndata = rows;
    global_types.idat = rows;
    return check_counts();
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

Check read_and_validate(const std::string& name, RunWorkspace& run) {
    if (auto failure = open_files(name)) return failure;
    if (auto failure = check_counts()) return failure;
    if (auto failure = read_rows(run)) return failure;
    if (auto failure = check_product_curve(run)) return failure;
    return split_curves(run);
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
    const UnitsClosedAtExit common_exit;

    name = completed_data_name(name);
    switch (data_file_opens(name)) {
        case FirstOpen::missing:
            dlgmessage(kWarning, "File does not exist: " + shown_name(name));
            dlgmessage(kError, "* * * OPEN ANOTHER DATA FILE * * *");
            status = run_missing_file;
            return;
        case FirstOpen::failed:
            abort_run(data_input_error(), status);
            return;
        case FirstOpen::opened:
            break;
    }

    if (const auto failure = read_and_validate(name, *run)) {
        abort_run(*failure, status);
        return;
    }
    list_models(*run);
    if (!options.fit_models) return;
    if (const auto failure = fit_chosen_models(*run, report_name(name), random, options)) {
        abort_run(*failure, status);
    }
}

void sorvek(std::string& name, std::int64_t& status) {
    // One set of generators for the whole program run.
    static RandomContext program_random;
    sorvek_with(name, status, program_random, RunOptions{});
}

}  // namespace imm
