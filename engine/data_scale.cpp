#include "engine/data_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace imm {

namespace {

// Sizes the fit handles as they are: concentrations and times within
// [1e-2, 1e5], and concentration per time within [1e-4, 1e4].
constexpr double kSmallestSize = 1e-2;
constexpr double kLargestSize = 1e5;
constexpr double kSmallestRate = 1e-4;
constexpr double kLargestRate = 1e4;
constexpr int kTargetExponent = 7;  // scaled sizes in [2^7, 2^8)

// [So] values spread wider than this have no size that suits them all; such data keep their units.
constexpr double kWidestSpread = 1e6;

// The power of two that takes `size` into [2^7, 2^8).
double unit_for(double size) { return std::ldexp(1.0, std::ilogb(size) - kTargetExponent); }

bool ordinary(double size) { return size >= kSmallestSize && size <= kLargestSize; }

// The smallest and the largest finite magnitude that is not 0; +inf and 0 when none.
struct Magnitudes {
    double smallest = std::numeric_limits<double>::infinity();
    double largest = 0.0;

    explicit Magnitudes(std::span<const double> values) {
        for (const double v : values) {
            if (!std::isfinite(v) || v == 0.0) continue;
            smallest = std::min(smallest, std::fabs(v));
            largest = std::max(largest, std::fabs(v));
        }
    }
    // Every value divided by the unit is still a normal number, so that dividing is exact.
    bool exact_in(double unit) const {
        return largest == 0.0 || (smallest / unit >= std::numeric_limits<double>::min() &&
                                  largest / unit <= std::numeric_limits<double>::max());
    }
};

// A value in data units is `unit` times the value in fitted units.
void convert(double& value, double unit, Toward units) {
    value = units == Toward::data_units ? value * unit : value / unit;
}

}  // namespace

DataScale data_scale(const DataBlock& data, std::int64_t rows, std::int64_t weight_mode) {
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(rows, 0, kMaxRows));
    const Magnitudes so(std::span(data.so).first(n)), observed(std::span(data.yobs).first(n)),
        times(std::span(data.t).first(n));
    const double concentration = std::max(so.largest, observed.largest);
    const double time = times.largest;
    DataScale scale;
    if (!(concentration > 0.0 && time > 0.0) || so.largest > kWidestSpread * so.smallest) return scale;
    const double rate = concentration / time;
    if (ordinary(concentration) && ordinary(time) && rate >= kSmallestRate && rate <= kLargestRate) return scale;
    const double concentration_unit = weight_mode == 1 ? 1.0 : unit_for(concentration);
    const double time_unit = unit_for(time);
    if (so.exact_in(concentration_unit) && observed.exact_in(concentration_unit) && times.exact_in(time_unit)) {
        scale.concentration = concentration_unit;
        scale.time = time_unit;
    }
    return scale;
}

void scale_rows(DataBlock& data, std::int64_t rows, const DataScale& scale, Toward units) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(std::clamp<std::int64_t>(rows, 0, kMaxRows)); ++k) {
        convert(data.t[k], scale.time, units);
        convert(data.so[k], scale.concentration, units);
        convert(data.yobs[k], scale.concentration, units);
    }
}

void scale_parameters(std::span<double> p, std::int64_t model, const DataScale& scale, Toward units) {
    if (p.size() > 0) convert(p[0], scale.concentration, units);               // Km
    if (p.size() > 1) convert(p[1], scale.concentration / scale.time, units);  // Vm
    if (p.size() > 2) {
        if (model == 2 || model == 5) convert(p[2], scale.concentration, units);  // background
        if (model == 3 || model == 6) convert(p[2], scale.time, units);           // time offset
    }
}

void fit_to_data_units(ModelFitResult& fit, std::int64_t model, std::int64_t nparam, const DataScale& scale) {
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(nparam, 0, kMaxParams));
    for (auto* p : {&fit.start, &fit.params, &fit.bounds.lower, &fit.bounds.upper}) {
        scale_parameters(std::span(*p).first(n), model, scale, Toward::data_units);
    }
    const double sum_factor = scale.concentration * scale.concentration;
    fit.ssq1 *= sum_factor;
    fit.ssq2 *= sum_factor;
    fit.ssq3 *= sum_factor;
}

}  // namespace imm
