#include "engine/model_results.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "breakpoint/breakpoint.h"
#include "engine/aicc.h"
#include "engine/progress_title.h"
#include "engine/standard_errors.h"
#include "model/derivatives.h"
#include "model/models.h"
#include "support/time_stamp.h"

namespace imm {

namespace {

// The suggested range and inflection point of each fitted curve.
void analyse_breakpoints(ModelResults& r, std::span<const std::int64_t> rows_per_curve, std::size_t rows,
                         RandomContext& random, const BreakLimits& limits) {
    BreakpointInput input;
    input.model = r.model;
    input.curve_sign = a3.curve_sign;
    input.points = rows_per_curve;
    input.t = std::span<const double>(a1.t.data(), rows);
    input.ycalc = std::span<const double>(a1.ycalc.data(), rows);
    input.so = std::span<const double>(a4.sat_so.data(), rows_per_curve.size());
    input.km = a4.sat_km;
    input.vm = a4.sat_vmax;
    input.third = r.nparam > 2 ? r.params[2] : 0.0;
    input.limits = limits;
    const BreakpointResult found = breakpoint(input, random);
    r.range_texts = found.range_texts;
    r.inflection_texts = found.inflection_texts;
}

// a4 from the fitted Km and Vm: the [So] of each curve's last row, the initial rate
// of each curve, and 100 points of the Michaelis-Menten curve from 0.1 Km to 10 Km.
void fill_saturation_table(std::span<const std::int64_t> rows_per_curve) {
    std::int64_t row = 0;
    for (std::size_t j = 0; j < rows_per_curve.size(); ++j) {
        row += rows_per_curve[j];
        const double so = a1.so[static_cast<std::size_t>(row - 1)];
        a4.sat_so[j] = so;
        a4.sat_rate[j] = a4.sat_vmax * so / (so + a4.sat_km);
    }
    for (std::size_t j = 0; j < static_cast<std::size_t>(kSaturationPoints); ++j) {
        a4.sat_curve_x[j] = j == 0 ? 0.1 * a4.sat_km : a4.sat_curve_x[j - 1] + 0.1 * a4.sat_km;
        a4.sat_curve_y[j] = a4.sat_vmax * a4.sat_curve_x[j] / (a4.sat_curve_x[j] + a4.sat_km);
    }
}

// What was fitted to how many curves.
ModelResults model_and_counts(std::int64_t curve_count) {
    ModelResults r;
    r.model = a1.nmdl;
    r.curve_count = curve_count;
    r.nparam = a3.nparam;
    return r;
}

// The rest of every section's head, set once the statistics are done: the stages
// before them leave their own constraint count in a2.
void complete_head(ModelResults& r, const ModelFitResult& fit) {
    a2.constraint_count = r.model == 1 || r.model == 4 ? 2 : 3;
    r.constraint_count = a2.constraint_count;
    r.equality_count = a2.equality_count;
    r.time_text = time();
    r.stage3_code = fit.stage3_code;
    r.weight_mode = a3.weight_mode;
    r.ssq1 = fit.ssq1;
    r.ssq2 = fit.ssq2;
    r.ssq3 = fit.ssq3;
}

// The gradient and the standard errors at the parameters, taken in the fitted
// units (the derivatives' fixed steps suit those) and given in the data's.
// Leaves the rows of a1 and their fitted values as they were.
void statistics(ModelResults& r, std::span<const double> params, std::span<double> fjac, const DataScale& scale) {
    const std::int64_t nparam = a3.nparam;
    const auto n = params.size();
    const auto rows = static_cast<std::size_t>(a3.ndata);
    std::array<double, kMaxRows> fitted_values;
    std::copy_n(a1.ycalc.begin(), rows, fitted_values.begin());
    ParameterVector in_fitted_units{}, unit{};
    std::copy(params.begin(), params.end(), in_fitted_units.begin());
    scale_parameters(std::span(in_fitted_units).first(n), a1.nmdl, scale, Toward::fitted_units);
    unit.fill(1.0);
    scale_parameters(std::span(unit).first(n), a1.nmdl, scale, Toward::data_units);

    scale_rows(a1, a3.ndata, scale, Toward::fitted_units);
    const std::span<const double> p(in_fitted_units.data(), n);
    r.gradient = derivat(p).grad;
    const double ssq = jacobian(a3.ndata, nparam, fjac, p);
    r.errors = stderrpar(a3.ndata, nparam, fjac, ssq);
    scale_rows(a1, a3.ndata, scale, Toward::data_units);
    std::copy_n(fitted_values.begin(), rows, a1.ycalc.begin());

    // d(sum)/dp = c^2/u d(sum')/dp', residual derivatives c/u those in fitted units, errors u times theirs.
    const double c = scale.concentration;
    for (std::size_t j = 0; j < n; ++j) {
        r.gradient[j] *= c * c / unit[j];
        r.errors.separ[j] *= unit[j];
        r.errors.parcl[j] *= unit[j];
        for (std::size_t i = 0; i < n; ++i) r.errors.finfo[i + j * n] *= c * c / (unit[i] * unit[j]);
        for (std::size_t k = 0; k < rows; ++k) fjac[j * kMaxRows + k] *= c / unit[j];
    }
}

}  // namespace

bool fit_is_finite(const ModelFitResult& fit, std::int64_t nparam) {
    const auto params = std::span(fit.params).first(static_cast<std::size_t>(nparam));
    return std::isfinite(fit.ssq3) &&
           std::all_of(params.begin(), params.end(), [](double p) { return std::isfinite(p); });
}

ModelResults unfitted_model_results(const ModelFitResult& fit, std::int64_t curve_count) {
    std::fill_n(a1.ycalc.begin(), a3.ndata, 0.0);
    ModelResults r = model_and_counts(curve_count);
    complete_head(r, fit);
    return r;
}

ModelResults model_results(const ModelFitResult& fit, std::span<const double> initial,
                           std::span<const std::int64_t> rows_per_curve, std::span<double> fjac,
                           RandomContext& random, bool analyse_curves, const DataScale& scale,
                           const BreakLimits& break_limits) {
    const std::int64_t model = a1.nmdl;
    const std::int64_t nparam = a3.nparam;
    const auto rows = static_cast<std::size_t>(a3.ndata);
    const auto n = static_cast<std::size_t>(nparam);
    const std::span params(fit.params.data(), n);

    for (std::size_t i = 0; i < rows; ++i) a1.ycalc[i] = func(a1.t[i], a1.so[i], a1.yobs[i], params);
    a3.curve_sign = model <= 3 ? 1.0 : -1.0;
    a4.sat_km = fit.params[0];
    a4.sat_vmax = fit.params[1];
    fill_saturation_table(rows_per_curve);

    ModelResults r = model_and_counts(static_cast<std::int64_t>(rows_per_curve.size()));
    std::copy_n(fit.params.begin(), n, r.params.begin());
    if (analyse_curves) {
        analyse_breakpoints(r, rows_per_curve, rows, random, break_limits);
    } else {
        const CurveTexts none = unavailable_break_texts();
        r.range_texts.fill(none.range);
        r.inflection_texts.fill(none.inflection);
    }

    statistics(r, params, fjac, scale);
    const double penalty = relative_error_penalty(params, std::span(r.errors.separ).first(n));
    ProgressTitle::show("Wait, computing model #" + std::to_string(model));

    r.aicc = aicc(a3.ndata, nparam, penalty, fit.ssq3);
    complete_head(r, fit);
    std::copy_n(initial.begin(), n, r.initial.begin());
    r.sat_km = a4.sat_km;
    std::copy_n(a4.sat_so.begin(), r.curve_count, r.sat_so.begin());
    std::copy_n(a4.sat_rate.begin(), r.curve_count, r.sat_rate.begin());
    r.t = std::span<const double>(a1.t.data(), rows);
    r.so = std::span<const double>(a1.so.data(), rows);
    r.yobs = std::span<const double>(a1.yobs.data(), rows);
    r.ycalc = std::span<const double>(a1.ycalc.data(), rows);
    return r;
}

std::int64_t report_model(std::int64_t unit, const ModelResults& results) {
    const std::int64_t status = write_model_section(unit, results);
    clip_fitted_values(std::span(a1.ycalc).first(static_cast<std::size_t>(a3.ndata)));
    return status;
}

}  // namespace imm
