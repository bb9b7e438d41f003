#include "model/models.h"

#include <array>
#include <cmath>
#include <string_view>

#include "model/lambert_w.h"
#include "support/strings.h"

namespace imm {

namespace {

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

double model_detail::omega_from_log(double log_arg) {
    if (log_arg < 100.0) return omega_wo(std::exp(log_arg));
    double w = log_arg - std::log(log_arg);
    for (int i = 0; i < 3; ++i) w = (w / (1.0 + w)) * (1.0 + log_arg - std::log(w));
    return w;
}

void npar(std::int64_t model, std::string& title, std::int64_t& n) {
    const ModelTitle& m = kModels[(model >= 1 && model <= 6) ? model : 0];
    n = m.n;
    assign_fixed(title, m.title);
}

}  // namespace imm
