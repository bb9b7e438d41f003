#include "breakpoint/breakpoint.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "breakpoint/break_cascade.h"

namespace imm {

namespace {

bool all_finite(std::span<const double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

void check(const BreakpointInput& input)
{
    const auto curves = input.points.size();
    if (curves > static_cast<std::size_t>(kMaxCurves) || input.so.size() < curves) {
        throw std::invalid_argument("breakpoint: more than 10 curves, or fewer [So] than curves");
    }
    std::int64_t rows = 0;
    for (const std::int64_t n : input.points) {
        if (n < 0) {
            throw std::invalid_argument("breakpoint: negative row count");
        }
        rows += n;
    }
    if (rows > kMaxRows || static_cast<std::size_t>(rows) > std::min(input.t.size(), input.ycalc.size())) {
        throw std::invalid_argument("breakpoint: curve rows beyond the data");
    }
}

// The texts of curve j, whose rows start at `first`.
CurveTexts analyse_curve(const BreakpointInput& input, std::size_t j, std::size_t first, RandomContext& random)
{
    const auto n = static_cast<std::size_t>(input.points[j]);
    const auto times = input.t.subspan(first, n);
    const auto values = input.ycalc.subspan(first, n);
    const bool offset_model = input.model == 3 || input.model == 6;
    const double s = offset_model ? input.third : 0.0;
    std::vector<double> shifted_times(times.begin(), times.end());
    for (double& x : shifted_times) {
        x += s;
    }
    const double tq = turning_time(input.km, input.vm, input.so[j]);
    // Times that are all equal leave no crossing time to find.
    const bool usable = n > 0 && all_finite(times) && smallest_value(times) < largest_value(times) &&
                        all_finite(values) && std::isfinite(s) &&
                        std::isfinite(input.vm) && input.vm > 0.0 && std::isfinite(tq) && tq > 0.0;
    if (!usable) {
        return unavailable_break_texts();
    }
    const CascadeCurve curve{{times, values, input.curve_sign}, {shifted_times, values, input.curve_sign}, tq};
    BreakVector start{};
    start[0] = (largest_value(values) - smallest_value(values)) / 2.0;
    start[1] = 0.5;
    start[2] = 0.5;
    start[3] = offset_model ? std::abs(tq) - s : tq;
    start[4] = 2.0;
    const CascadeFit fit = fit_break_cascade(curve, start, random, input.limits);
    if (!fit.found) {
        return unavailable_break_texts();
    }
    BreakJudgement judgement;
    judgement.model = input.model;
    judgement.sign = input.curve_sign;
    judgement.turning_time = tq;
    judgement.shift = s;
    judgement.largest_x = largest_value(shifted_times);
    judgement.largest_y = largest_value(values);
    return break_texts(fit.parameters, judgement);
}

}  // namespace

double turning_time(double km, double vm, double so)
{
    return (km * 27.0 * so) / ((vm * 4.0) * (km + so));
}

BreakpointResult breakpoint(const BreakpointInput& input, RandomContext& random)
{
    return breakpoint(input, random, TaskPool::shared());
}

BreakpointResult breakpoint(const BreakpointInput& input, RandomContext& random, TaskPool& pool)
{
    check(input);
    const std::size_t curves = input.points.size();
    std::array<std::size_t, kMaxCurves> first{};
    std::vector<RandomContext> streams;
    for (std::size_t j = 0; j < curves; ++j) {
        if (j > 0) {
            first[j] = first[j - 1] + static_cast<std::size_t>(input.points[j - 1]);
        }
        streams.push_back(draw_task_context(random));
    }
    std::array<CurveTexts, kMaxCurves> texts;
    auto analyse = [&](std::size_t j) { texts[j] = analyse_curve(input, j, first[j], streams[j]); };
    pool.for_each(curves, analyse);

    BreakpointResult result;
    result.inflection_texts.fill(std::string(kBreakTextLength, ' '));
    result.range_texts.fill(std::string(kBreakTextLength, ' '));
    for (std::size_t j = 0; j < curves; ++j) {
        result.inflection_texts[j] = texts[j].inflection;
        result.range_texts[j] = texts[j].range;
        result.parameters[j] = texts[j].parameters;
    }
    return result;
}

}  // namespace imm
