#include "engine/report_section.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "engine/model_names.h"
#include "engine/report_tables.h"
#include "engine/report_writer.h"
#include "support/fortran_format.h"
#include "support/strings.h"

namespace imm {

namespace {

constexpr double kGradientFloorBelow = 1.4999999464748726e-08;  // 1.5e-8 in single precision
constexpr double kGradientFloor = 1e-8;
constexpr double kLargestFittedValue = 1e16;
constexpr std::int64_t kStage3CallLimit = 200;
constexpr std::int64_t kCallsExceeded = 2;
constexpr std::int64_t kUphillSearch = 4;

// 10 blanks, the label padded to column 51, the count in columns 52 to 54.
std::string count_record(std::string_view label, std::int64_t value) {
    std::string text = blanks(10) + std::string(label);
    text.resize(51, ' ');
    return text + format_i(value, 3);
}

void write_head(ReportWriter& out, const ModelResults& r) {
    out.empty();
    out.empty();
    out.record(blanks(10) + "Sorvek-IMM - Enzyme Progress of Reaction Modeling Software");
    out.record(blanks(10) + "Integrated Michaelis-Menten regression of progress curves");
    out.empty();
    out.record(blanks(19) + std::string(trimmed(r.time_text)));
    out.empty();
}

// The banner, time, model names and counts that begin every section.
void write_section_head(ReportWriter& out, const ModelResults& r) {
    write_head(out, r);
    model_names(out, r.model);
    out.record(count_record("NUMBER OF DATA SETS ANALYZED:", r.curve_count));
    out.record(count_record("NUMBER OF PARAMETERS, P:", r.nparam));
    out.record(count_record("TOTAL NUMBER OF CONSTRAINTS:", r.constraint_count));
    out.record(count_record("NUMBER OF EQUALITY CONSTRAINTS:", r.equality_count));
}

void write_stage3_message(ReportWriter& out, std::int64_t code) {
    if (code != kCallsExceeded && code != kUphillSearch) return;
    out.empty();
    if (code == kCallsExceeded) {
        out.record(blanks(10) + "CALLS TO FUNCTION EXCEEDED " + format_i(kStage3CallLimit, 4) + "--INFO =" +
                   format_i(code, 2));
    } else {
        out.record(blanks(10) + "UPHILL SEARCH DIRECTION WAS EXECUTED--INFO =" + format_i(code, 2));
    }
    out.record(blanks(10) + "(MESSAGE RETURNED FROM STAGE 3)");
    out.empty();
}

void write_stage_sums(ReportWriter& out, const ModelResults& r) {
    out.record(blanks(10) + "WEIGHTING: " + (r.weight_mode == 0 ? "NO WEIGHTING" : "ROBUST WEIGHTING"));
    out.empty();
    out.record(blanks(10) + "STAGE-1 DIFFERENTIAL EVOLUTION SSQ= " + format_f_readable(r.ssq1, 14, 8));
    out.record(blanks(10) + "STAGE-2 CONJUGATE GRADIENT     SSQ= " + format_f_readable(r.ssq2, 14, 8));
    out.record(blanks(10) + "STAGE-3 QUADRATIC PROGRAMMING  SSQ= " + format_f_readable(r.ssq3, 14, 8));
    out.empty();
}

void write_fit_measures(ReportWriter& out, const ModelResults& r, std::int64_t ndata) {
    write_stage_sums(out, r);
    const double regression_error = std::sqrt(r.ssq3 / static_cast<double>(ndata - r.nparam));
    out.record(blanks(10) + "STANDARD ERROR OF REGRESSION=" + blanks(7) +
               format_f_readable(regression_error, 14, 8));
    out.record(blanks(10) + "AICc (Corrected Akaike)=" + blanks(10) + format_f_or_exponent(r.aicc, 12, 4));
    out.empty();
}

bool has_slash(std::string_view text) { return text.find('/') != std::string_view::npos; }

std::string curve_label(std::int64_t j) { return blanks(10) + "Crv" + format_i(j, 2) + " "; }

void write_breakpoints(ReportWriter& out, const ModelResults& r) {
    const auto curves = static_cast<std::size_t>(r.curve_count);
    bool any_accepted = false;
    for (std::size_t j = 0; j < curves; ++j) {
        any_accepted = any_accepted || (!has_slash(r.range_texts[j]) && !has_slash(r.inflection_texts[j]));
    }
    if (any_accepted) out.record(blanks(10) + "ESTIMATED DATA RANGE FOR OPTIMAL CURVE-FIT:");
    for (std::size_t j = 0; j < curves; ++j) {
        const auto number = static_cast<std::int64_t>(j + 1);
        const std::string_view inflection = trimmed(r.inflection_texts[j]);
        if (!has_slash(inflection)) {
            out.record(curve_label(number) + "Suggested range [x] = " + std::string(trimmed(r.range_texts[j])));
            out.record(curve_label(number) + "Inflection Point [x,y] = " + std::string(inflection));
        } else {
            out.record(curve_label(number) + "Suggested range [x] = N/A");
        }
        out.empty();
    }
}

void write_parameters(ReportWriter& out, const ModelResults& r) {
    const auto n = static_cast<std::size_t>(r.nparam);
    std::array<double, kMaxParams> gradient = r.gradient;
    floor_gradient(std::span(gradient).first(n));
    print_grad(out, r.nparam, r.params, gradient);

    out.empty();
    out.record(blanks(10) + "INITIAL PARAMETER ESTIMATES, VAR0()=P():");
    for (std::size_t i = 0; i < n; ++i) {
        out.record(blanks(5) + format_i(static_cast<std::int64_t>(i + 1), 3) + blanks(2) +
                   format_f_readable(r.initial[i], 12, 6));
    }

    out.empty();
    out.record(blanks(10) + "BEST FIT PARAMETERS:" + blanks(4) + "STD. ERRORS" + blanks(10) + "95% CONFIDENCE LIMITS");
    for (std::size_t i = 0; i < n; ++i) {
        const double p = r.params[i];
        const double half_width = r.errors.parcl[i];
        out.record(blanks(5) + format_i(static_cast<std::int64_t>(i + 1), 3) + blanks(5) +
                   format_f_readable(p, 13, 6) + "  +/-" + format_f_readable(r.errors.separ[i], 13, 6) +
                   blanks(3) + "[" + format_f_readable(p - half_width, 14, 6) + " ," +
                   format_f_readable(p + half_width, 14, 6) + " ]");
    }
}

void write_initial_rates(ReportWriter& out, const ModelResults& r) {
    out.empty();
    out.record(blanks(10) + "BEST FIT CURVE INITIAL RATES:");
    out.record(blanks(17) + "[So]" + blanks(15) + "[So]/Km" + blanks(11) + "Rate");
    for (std::size_t j = 0; j < static_cast<std::size_t>(r.curve_count); ++j) {
        out.record(blanks(5) + format_i(static_cast<std::int64_t>(j + 1), 3) + blanks(5) +
                   format_f_readable(r.sat_so[j], 13, 6) + blanks(5) +
                   format_f_readable(r.sat_so[j] / r.sat_km, 13, 6) + blanks(5) +
                   format_f_readable(r.sat_rate[j], 13, 6));
    }
    out.record(separator_line());
    out.empty();
}

// One column of the data table: fixed, unless its largest magnitude would show fewer
// than three significant digits; then every entry is in the exponent form. A column
// right after another number keeps its first character blank, so that a minus sign
// does not join the two.
class TableColumn {
public:
    TableColumn(std::span<const double> values, int width, int decimals, bool after_number)
        : width_(width), decimals_(decimals), after_number_(after_number) {
        double largest = 0.0;
        for (const double v : values) {
            if (std::isfinite(v)) largest = std::max(largest, std::fabs(v));
        }
        exponent_ = too_few_digits_in_fixed(largest, decimals);
    }
    std::string operator()(double v) const {
        const int width = after_number_ ? width_ - 1 : width_;
        const std::string text =
            exponent_ ? format_exponent_of_width(v, width) : format_f_or_exponent(v, width, decimals_);
        return after_number_ ? " " + text : text;
    }

private:
    int width_;
    int decimals_;
    bool after_number_;
    bool exponent_ = false;
};

void write_data_table(ReportWriter& out, const ModelResults& r) {
    out.empty();
    out.record(blanks(5) + "NO." + blanks(9) + "time" + blanks(7) + "[So]" + blanks(10) + "Y" + blanks(9) + "Ycalc" +
               blanks(6) + "RESIDUAL");
    out.record(separator_line());
    std::vector<double> residuals(r.t.size());
    for (std::size_t i = 0; i < r.t.size(); ++i) residuals[i] = r.ycalc[i] - r.yobs[i];
    const TableColumn time(r.t, 12, 3, false), so(r.so, 12, 3, true), observed(r.yobs, 12, 3, true),
        fitted(r.ycalc, 12, 3, true), residual(residuals, 10, 6, false);
    for (std::size_t i = 0; i < r.t.size(); ++i) {
        // Room for row 1000; a row below it prints as with three places.
        out.record(blanks(4) + format_i(static_cast<std::int64_t>(i + 1), 4) + blanks(2) + time(r.t[i]) +
                   so(r.so[i]) + observed(r.yobs[i]) + fitted(r.ycalc[i]) + blanks(3) + residual(residuals[i]));
    }
    out.record(separator_line());
}

void check_counts(const ModelResults& r) {
    if (r.nparam < 0 || r.nparam > kMaxParams) throw std::invalid_argument("report: parameter count out of range");
    if (r.curve_count < 0 || r.curve_count > kMaxCurves) {
        throw std::invalid_argument("report: curve count out of range");
    }
}

void check(const ModelResults& r) {
    check_counts(r);
    const std::size_t rows = r.t.size();
    if (r.so.size() != rows || r.yobs.size() != rows || r.ycalc.size() != rows) {
        throw std::invalid_argument("report: data columns of different lengths");
    }
    if (static_cast<std::int64_t>(rows) <= r.nparam) {
        throw std::invalid_argument("report: parameter count out of range");
    }
}

}  // namespace

std::int64_t write_model_section(std::int64_t unit, const ModelResults& results) {
    check(results);
    ReportWriter out(unit);
    write_section_head(out, results);
    write_stage3_message(out, results.stage3_code);
    write_fit_measures(out, results, static_cast<std::int64_t>(results.t.size()));
    write_breakpoints(out, results);
    write_parameters(out, results);
    write_initial_rates(out, results);
    matprnt(out, results.nparam, results.errors.corrmat);
    write_data_table(out, results);
    return out.status();
}

std::int64_t write_not_fitted_section(std::int64_t unit, const ModelResults& results) {
    check_counts(results);
    ReportWriter out(unit);
    write_section_head(out, results);
    write_stage_sums(out, results);
    out.record(blanks(10) + "MODEL NOT FITTED: THE SUM OF SQUARES OR A PARAMETER IS NOT A FINITE NUMBER.");
    out.empty();
    out.record(separator_line());
    return out.status();
}

void floor_gradient(std::span<double> gradient) {
    for (double& g : gradient) {
        if (g < kGradientFloorBelow) g = kGradientFloor;
    }
}

void clip_fitted_values(std::span<double> ycalc) {
    for (double& y : ycalc) {
        if (y < 0.0 || y > kLargestFittedValue || std::isnan(y)) y = 0.0;
    }
}

std::int64_t write_saved_to(std::int64_t unit, std::string_view report_name) {
    ReportWriter out(unit);
    out.record(" SAVED TO: " + std::string(stripped(report_name)));
    return out.status();
}

}  // namespace imm
