#include "engine/model_loop.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "engine/aicc.h"
#include "engine/data_scale.h"
#include "engine/model_columns.h"
#include "engine/model_fit.h"
#include "engine/model_ranking.h"
#include "engine/model_results.h"
#include "engine/progress_title.h"
#include "engine/ranking_summary.h"
#include "engine/report_section.h"
#include "model/models.h"
#include "optimise/calcfg.h"
#include "optimise/start_values.h"
#include "support/shared_blocks.h"
#include "support/strings.h"
#include "support/system_reason.h"
#include "support/unit_table.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr std::size_t kTitleLength = 80;

RunCheck report_not_written(const std::string& report) {
    return RunFailure{kErrorBox, "Data output file error: " + report + ": " + system_reason(UnitTable::last_error()),
                      run_file_error};
}

RunCheck check_columns(std::int64_t model) {
    std::int64_t unsuited = 0;
    ncolmdl(a3.ncols, model, unsuited);
    if (unsuited == 0) return std::nullopt;
    return RunFailure{kWarningBox, "Number of variables not compatible with model: " + std::to_string(model),
                      run_model_columns};
}

RunCheck check_parameter_count(std::int64_t nparam) {
    if (nparam > kMaxParams) {
        return RunFailure{kWarningBox, "Number of variables exceeded limit: " + std::to_string(kMaxParams),
                          run_model_limits};
    }
    if (nparam >= a3.ndata) {
        return RunFailure{kWarningBox, "Not enough data points to fit model: " + std::to_string(a3.ndata),
                          run_model_limits};
    }
    return std::nullopt;
}

// Parameters a Rerun can start from: all finite and not all zero (a run that
// fitted nothing leaves zeros).
bool rerun_start_usable(std::span<const double> p) {
    return std::all_of(p.begin(), p.end(), [](double v) { return std::isfinite(v); }) &&
           std::any_of(p.begin(), p.end(), [](double v) { return v != 0.0; });
}

// The start values into run.var in the fitted units, and in the data's units
// into run.var_init and the saved parameters; returns what the boxes are built
// around, in the fitted units.
ParameterVector choose_start_values(RunWorkspace& run, std::size_t n, const DataScale& scale, RandomContext& random) {
    ParameterVector box_reference{};
    const std::span saved(global_types.varsav.data(), n);
    if (global_types.brerun && rerun_start_usable(saved)) {
        std::copy(saved.begin(), saved.end(), run.var.begin());
        scale_parameters(std::span(run.var).first(n), a1.nmdl, scale, Toward::fitted_units);
        box_reference = run.var;
    } else {
        // Start values come from the unweighted sum whatever the weighting: a
        // robust fit starts from the least-squares estimate, and the sum with
        // weights recomputed at every point has its lowest values where a few
        // rows fit and the rest count as outliers.
        run.var.fill(0.0);
        const std::int64_t weight_mode = a3.weight_mode;
        a3.weight_mode = 0;
        box_reference = init_estimates(run.var, random);
        a3.weight_mode = weight_mode;
    }
    std::copy_n(run.var.begin(), n, run.var_init.begin());
    scale_parameters(std::span(run.var_init).first(n), a1.nmdl, scale, Toward::data_units);
    std::copy_n(run.var_init.begin(), n, global_types.varsav.begin());
    return box_reference;
}

void set_weight_mode(std::int64_t mode) {
    a3.weight_mode = mode;
    if (mode < 0 || mode > 2) {
        dlgmessage(kWarningBox, "Value of weight out of range of [0-2]!");
        a3.weight_mode = 0;
    }
}

void restore_rows(const RunWorkspace& run) {
    const auto n = static_cast<std::size_t>(a3.ndata);
    std::copy_n(run.xtmp.begin(), n, a1.t.begin());
    std::copy_n(run.x2tmp.begin(), n, a1.so.begin());
    std::copy_n(run.ytmp.begin(), n, a1.yobs.begin());
}

void keep_best_model(RunWorkspace& run, double model_aicc, std::int64_t model, std::size_t n) {
    if (!improves_best_aicc(model_aicc, run.best_aicc)) return;
    const auto rows = static_cast<std::size_t>(a3.ndata);
    run.best_aicc = model_aicc;
    std::copy_n(a1.t.begin(), rows, run.xsav.begin());
    std::copy_n(a1.so.begin(), rows, run.x2sav.begin());
    std::copy_n(a1.yobs.begin(), rows, run.ysav.begin());
    std::copy_n(a1.ycalc.begin(), rows, run.ycsav.begin());
    run.best_saturation = a4;
    run.best_model = model;
    run.best_var.fill(0.0);
    std::copy_n(run.var.begin(), n, run.best_var.begin());
}

// A fit whose sum of squares or parameters are not finite gives no results: a box,
// a section that says so, and an AICc that ranks it last.
RunCheck report_not_fitted(RunWorkspace& run, const ModelFitResult& fit, const std::string& title,
                           const std::string& report) {
    dlgmessage(kWarningBox, "Model not fitted: " + std::string(stripped(title)) +
                                "\r\nIts sum of squares or a parameter is not a finite number.");
    run.raic[run.model_titles.size()] = std::numeric_limits<double>::quiet_NaN();
    run.model_titles.push_back(title);
    const ModelResults results = unfitted_model_results(fit, global_types.idatasets);
    if (write_not_fitted_section(iinout.results_unit, results) != io_ok) return report_not_written(report);
    ++run.sections_written;
    return std::nullopt;
}

// Fits and reports model m with the run's weighting mode.
RunCheck fit_one_model(RunWorkspace& run, std::int64_t m, std::int64_t weight_mode, const std::string& report,
                       RandomContext& random, const RunOptions& options) {
    global_types.imdlno = m;
    a1.nmdl = m;
    restore_rows(run);

    if (const auto failure = check_columns(m)) return failure;
    std::string title(kTitleLength, ' ');
    std::int64_t nparam = 0;
    npar(m, title, nparam);
    a3.nparam = nparam;
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(nparam, 0, kMaxParams));
    std::string adjusted = title;
    s_adjustl(adjusted);
    global_types.strmdl = adjusted;
    if (const auto failure = check_parameter_count(nparam)) return failure;

    ModelFitResult fit;
    // The run's weighting is set before the start values, so none is left
    // from the run before; the start values themselves are unweighted.
    set_weight_mode(weight_mode);
    const DataScale scale = data_scale(a1, a3.ndata, a3.weight_mode);
    try {
        scale_rows(a1, a3.ndata, scale, Toward::fitted_units);
        const ParameterVector box_reference = choose_start_values(run, n, scale, random);
        const ParameterBox bounds = fit_bounds(m, nparam, box_reference, a3.ndata, a1);
        ProgressTitle progress;
        fit = fit_model(std::span(run.var).first(n), std::span(box_reference).first(n), bounds,
                        run.stage3_tolerance_large, progress, random, options.stage_limits);
    } catch (const ModelLimitExceeded&) {
        // The objective has shown its boxes.
        restore_rows(run);
        return RunFailure{kWarningBox, "", run_model_limits};
    }
    restore_rows(run);
    fit_to_data_units(fit, m, nparam, scale);
    if (options.on_fit) options.on_fit(m, fit);
    if (fit.stage3_measure_finite) run.stage3_tolerance_large /= 2.0;
    if (!fit_is_finite(fit, nparam)) {
        std::copy_n(run.best_var.begin(), n, global_types.varsav.begin());
        return report_not_fitted(run, fit, title, report);
    }
    run.var = fit.params;
    std::copy_n(fit.params.begin(), n, global_types.varsav.begin());

    const auto curves = static_cast<std::size_t>(global_types.idatasets);
    const ModelResults results = model_results(fit, run.var_init, std::span(run.id2).first(curves), run.fjac, random,
                                               options.analyse_breakpoints, scale, options.break_limits);
    const std::size_t k = run.model_titles.size();
    run.model_titles.push_back(title);
    run.raic[k] = results.aicc;

    if (report_model(iinout.results_unit, results) != io_ok) return report_not_written(report);
    ++run.sections_written;

    keep_best_model(run, results.aicc, m, n);
    std::copy_n(run.best_var.begin(), n, global_types.varsav.begin());
    if (options.on_model_reported) options.on_model_reported();
    return std::nullopt;
}

// Ranks two or more models, restores the best model's data and saturation table
// and closes the report.
RunCheck end_run(RunWorkspace& run, const std::string& report) {
    global_types.brerun = false;
    const std::size_t fitted = run.model_titles.size();
    if (fitted >= 2) {
        const std::vector<RankedModel> ranks = rank_models(std::span(run.raic).first(fitted));
        if (write_ranking_summary(iinout.results_unit, ranks, run.model_titles) != io_ok) {
            return report_not_written(report);
        }
    }
    if (run.best_model != 0) {
        const auto rows = static_cast<std::size_t>(a3.ndata);
        std::copy_n(run.xsav.begin(), rows, a1.t.begin());
        std::copy_n(run.x2sav.begin(), rows, a1.so.begin());
        std::copy_n(run.ysav.begin(), rows, a1.yobs.begin());
        std::copy_n(run.ycsav.begin(), rows, a1.ycalc.begin());
        a4 = run.best_saturation;
        a1.nmdl = run.best_model;
        if (fitted >= 2) {
            std::string title(kTitleLength, ' ');
            std::int64_t nparam = 0;
            npar(a1.nmdl, title, nparam);
            a3.nparam = nparam;
            s_adjustl(title);
            global_types.strmdl = title;
        }
    }
    if (write_saved_to(iinout.results_unit, report) != io_ok) return report_not_written(report);
    return std::nullopt;
}

}  // namespace

RunCheck fit_chosen_models(RunWorkspace& run, const std::string& report, RandomContext& random,
                           const RunOptions& options) {
    // The weighting menu may change the flag while the run goes on; every model
    // of the run is fitted with the mode it had at the start.
    const std::int64_t weight_mode = global_types.nwt_global;
    for (std::int64_t k = 0; k < global_types.global_mdl_count; ++k) {
        const std::int64_t model = run.mdl_checked[static_cast<std::size_t>(k)];
        if (const auto failure = fit_one_model(run, model, weight_mode, report, random, options)) {
            return failure;
        }
    }
    return end_run(run, report);
}

}  // namespace imm
