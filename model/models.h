// The six integrated Michaelis-Menten models: product or substrate against time,
// plain, with a background, or with a time offset.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "model/lambert_w.h"
#include "model/qexp.h"
#include "support/shared_blocks.h"

namespace imm {

namespace model_detail {

// W(e^L) for an argument that the clamped exponential or the Omega routine's
// own clamp at 3e45 would misstate, from its logarithm L: w + ln w = L.
double omega_from_log(double log_arg);

// W((so/Km)·e^u), with u = (so - Vm·t')/Km.
inline double scaled_omega(double u, double ratio) {
    const double z = qexp(u) * ratio;
    if (u >= 70.0 || z >= 3e45) {
        const double log_arg = std::log(ratio) + u;  // not finite unless ratio > 0
        if (std::isfinite(log_arg)) return omega_from_log(log_arg);
    }
    return omega_wo(z);
}

// What a model observes and what its third parameter does.
enum class Observed { product, substrate };
enum class Third { none, background, offset };

// A model's parameters as its values read them: Km, Vm and the background or
// time offset (NaN when the model has one and p does not hold it).
template <Third kThird>
struct ModelParameters {
    explicit ModelParameters(std::span<const double> p) : km(p[0]), vm(p[1]) {
        if constexpr (kThird != Third::none) third = p.size() > 2 ? p[2] : std::numeric_limits<double>::quiet_NaN();
    }
    // Km and Vm are positive, finite constants; anything else has no curve.
    bool usable() const {
        return km > 0.0 && vm > 0.0 && std::isfinite(km) && std::isfinite(vm) &&
               (kThird != Third::background || std::isfinite(third));
    }
    // t' = t, or t + P3 for the time offset.
    double time(double t) const { return kThird == Third::offset ? t + third : t; }
    // u = (so - Vm·t')/Km, at which W is taken.
    double exponent(double so, double tp) const { return (so - tp * vm) / km; }
    // The observed quantity from W: product so - Km·W or substrate Km·W, plus P3 as a background.
    template <Observed kObserved>
    double value(double so, double w) const {
        double v = kObserved == Observed::product ? so - km * w : km * w;
        if constexpr (kThird == Third::background) v += third;
        return v;
    }

    double km;
    double vm;
    double third = 0.0;
};

// The value of one model: product so - Km·W or substrate Km·W, with W taken at
// u = (so - Vm·t')/Km, t' = t or t + P3, and P3 added as a background.
template <Observed kObserved, Third kThird>
inline double model_value(double t, double so, std::span<const double> p) {
    const ModelParameters<kThird> m(p);
    const double tp = m.time(t);
    if (!m.usable() || !std::isfinite(tp)) return std::numeric_limits<double>::quiet_NaN();
    return m.template value<kObserved>(so, scaled_omega(m.exponent(so, tp), so / m.km));
}

}  // namespace model_detail

// Model value at time t for a curve starting at so, for the model number a1.nmdl.
// p holds Km, Vm and, for models 2, 3, 5 and 6, the background or time offset.
// y (the observed value) is not read. NaN when Km or Vm is not positive, a
// parameter read is missing or not finite, or the effective time is not finite;
// 0 for a model number outside 1..6.
// Inline: it runs once per data row in every fit.
inline double func(double t, double so, double /*y*/, std::span<const double> p) {
    using namespace model_detail;
    switch (a1.nmdl) {
    case 1: return model_value<Observed::product, Third::none>(t, so, p);
    case 2: return model_value<Observed::product, Third::background>(t, so, p);
    case 3: return model_value<Observed::product, Third::offset>(t, so, p);
    case 4: return model_value<Observed::substrate, Third::none>(t, so, p);
    case 5: return model_value<Observed::substrate, Third::background>(t, so, p);
    case 6: return model_value<Observed::substrate, Third::offset>(t, so, p);
    default: return 0.0;
    }
}

// Parameter count n and title of a model (0 and "0- MODEL NOT DEFINED!" for an
// unknown number). The title keeps its length: blank-padded or cut.
void npar(std::int64_t model, std::string& title, std::int64_t& n);

}  // namespace imm
