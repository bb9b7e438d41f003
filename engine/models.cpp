#include "engine/models.h"

#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "engine/lambert_w.h"
#include "engine/qexp.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

// W(e^L) for an argument that the clamped exponential or the Omega routine's
// own clamp at 3e45 would misstate, from its logarithm L: w + ln w = L.
double omega_from_log(double log_arg) {
    if (log_arg < 100.0) return omega_wo(std::exp(log_arg));
    double w = log_arg - std::log(log_arg);
    for (int i = 0; i < 3; ++i) w = w * (1.0 + log_arg - std::log(w)) / (1.0 + w);
    return w;
}

// W((so/Km)·e^u), with u = (so - Vm·t')/Km.
inline double scaled_omega(double u, double ratio) {
    const double z = qexp(u) * ratio;
    if (u >= 70.0 || z >= 3e45) {
        const double log_arg = std::log(ratio) + u;  // not finite unless ratio > 0
        if (std::isfinite(log_arg)) return omega_from_log(log_arg);
    }
    return omega_wo(z);
}

struct ModelTitle {
    std::int64_t n;
    std::string_view title;
};

constexpr std::array<ModelTitle, 7> kModels = {{
    {0, "0- MODEL NOT DEFINED!"},
    {2, "1- [Pt] vs time Michaelis-Menten"},
    {3, "2- [Pt] vs time Michaelis-Menten - Bkg"},
    {3, "3- [Pt] vs (time + t0) Michaelis-Menten"},
    {2, "4- [St] vs time Michaelis-Menten"},
    {3, "5- [St] vs time Michaelis-Menten - Bkg"},
    {3, "6- [St] vs (time + t0) Michaelis-Menten"},
}};

}  // namespace

double func(double t, double so, double /*y*/, std::span<const double> p) {
    // Product models give so - Km·W, substrate models Km·W; the third parameter
    // is added to the value (background) or to the time (offset). -Km·W rounds
    // like Km·W, so the sign goes on Km, off the path through W.
    const double km = p[0];
    const double vm = p[1];
    double base = 0.0;
    double signed_km = km;
    double background = 0.0;
    double offset = 0.0;
    switch (a1.nmdl) {
    case 1: base = so; signed_km = -km; break;
    case 2: base = so; signed_km = -km; background = p[2]; break;
    case 3: base = so; signed_km = -km; offset = p[2]; break;
    case 4: break;
    case 5: background = p[2]; break;
    case 6: offset = p[2]; break;
    default: return 0.0;
    }
    const double tp = t + offset;
    if (!std::isfinite(km) || !std::isfinite(vm) || !std::isfinite(tp) || !std::isfinite(background)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double u = (so - tp * vm) / km;
    const double w = scaled_omega(u, so / km);
    return (base + signed_km * w) + background;
}

void npar(std::int64_t model, std::string& title, std::int64_t& n) {
    const ModelTitle& m = kModels[(model >= 1 && model <= 6) ? model : 0];
    n = m.n;
    const std::size_t len = title.size();
    title.assign(m.title.substr(0, len));
    title.resize(len, ' ');
}

}  // namespace imm
