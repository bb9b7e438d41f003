// The report section of one fitted model and the report's closing record.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/standard_errors.h"
#include "support/shared_blocks.h"

namespace imm {

// Everything a model's section shows. The caller fills it after the statistics. A number
// too wide for its field is written in an exponent form of the field's width; so is a sum
// of squares, parameter, error, limit or initial-rate entry that is not 0 but would show
// fewer than three significant digits, and every entry of a data-table column whose
// largest magnitude would.
struct ModelResults {
    std::int64_t model = 0;             // 1..6
    std::string time_text;              // date and time of the section head
    std::int64_t curve_count = 0;       // data sets analysed, 1..kMaxCurves
    std::int64_t nparam = 0;
    std::int64_t constraint_count = 0;  // 2 for models 1 and 4, 3 for the others
    std::int64_t equality_count = 0;
    std::int64_t stage3_code = -1;      // completion code the stage-3 minimiser returned
    std::int64_t weight_mode = 0;       // 0 none, otherwise robust

    double ssq1 = 0.0;  // objective after each stage; ssq3 at the reported parameters
    double ssq2 = 0.0;
    double ssq3 = 0.0;
    double aicc = 0.0;

    std::array<double, kMaxParams> initial{};   // start values
    std::array<double, kMaxParams> params{};    // reported parameters
    std::array<double, kMaxParams> gradient{};  // gradient of the objective there
    StandardErrors errors;                      // separ, parcl and corrmat

    // Breakpoint texts per curve: suggested range and inflection point.
    std::array<std::string, kMaxCurves> range_texts;
    std::array<std::string, kMaxCurves> inflection_texts;

    // Saturation rows per curve.
    double sat_km = 0.0;
    std::array<double, kMaxCurves> sat_so{};
    std::array<double, kMaxCurves> sat_rate{};

    // The data table, one entry per row.
    std::span<const double> t;
    std::span<const double> so;
    std::span<const double> yobs;
    std::span<const double> ycalc;
};

// Writes the model's section. Returns the unit's status (0, or the first failed write).
std::int64_t write_model_section(std::int64_t unit, const ModelResults& results);

// The section of a model whose fit ended with a sum of squares or a parameter that is
// not a finite number: its head, counts and the sums of squares of the stages, then
// the notice that it was not fitted. Uses no parameters, statistics or data.
std::int64_t write_not_fitted_section(std::int64_t unit, const ModelResults& results);

// Gradient entries below 1.5e-8 in single precision, negative ones included, become 1e-8.
void floor_gradient(std::span<double> gradient);

// Calculated values below 0, above 1e16 or not a number become 0, as the plots and the
// best model's copy see them once the section is written.
void clip_fitted_values(std::span<double> ycalc);

// The closing record: " SAVED TO: " and the report name, trimmed and left-adjusted.
std::int64_t write_saved_to(std::int64_t unit, std::string_view report_name);

}  // namespace imm
