#include "engine/model_rows.h"

#include <algorithm>
#include <array>
#include <limits>

#include "engine/models.h"

namespace imm {

namespace {

using namespace model_detail;

constexpr std::size_t kLanes = 8;
constexpr double kIdleLane = 1.5;  // fills a lane with no row or a row that needs no step

template <Observed kObserved, Third kThird>
void rows_of_model(std::size_t begin, std::size_t end, std::span<const double> p, std::span<double> values) {
    const ModelParameters<kThird> m(p);
    if (!m.usable()) {
        std::fill(values.begin() + static_cast<std::ptrdiff_t>(begin),
                  values.begin() + static_cast<std::ptrdiff_t>(end), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    std::array<double, kLanes> u{}, ratio{}, z{}, w{};
    std::array<bool, kLanes> usable{}, iterated{};
    for (std::size_t first = begin; first < end; first += kLanes) {
        const std::size_t lanes = std::min(kLanes, end - first);
        for (std::size_t j = 0; j < kLanes; ++j) {
            z[j] = kIdleLane;
            iterated[j] = false;
            if (j >= lanes) continue;
            const double so = a1.so[first + j];
            const double tp = m.time(a1.t[first + j]);
            usable[j] = std::isfinite(tp);
            u[j] = m.exponent(so, tp);
            ratio[j] = so / m.km;
            // What scaled_omega does when it hands omega_wo an argument that iterates.
            const double scaled = qexp(u[j]) * ratio[j];
            iterated[j] = usable[j] && u[j] < 70.0 && omega_wo_iterates(scaled);
            if (iterated[j]) z[j] = scaled;
        }
        omega_wo_side_by_side(z, w);
        for (std::size_t j = 0; j < lanes; ++j) {
            double& value = values[first + j];
            if (!usable[j]) {
                value = std::numeric_limits<double>::quiet_NaN();
                continue;
            }
            const double wj = iterated[j] ? w[j] : scaled_omega(u[j], ratio[j]);
            value = m.template value<kObserved>(a1.so[first + j], wj);
        }
    }
}

}  // namespace

void model_rows(std::size_t begin, std::size_t end, std::span<const double> p, std::span<double> values) {
    switch (a1.nmdl) {
    case 1: rows_of_model<Observed::product, Third::none>(begin, end, p, values); break;
    case 2: rows_of_model<Observed::product, Third::background>(begin, end, p, values); break;
    case 3: rows_of_model<Observed::product, Third::offset>(begin, end, p, values); break;
    case 4: rows_of_model<Observed::substrate, Third::none>(begin, end, p, values); break;
    case 5: rows_of_model<Observed::substrate, Third::background>(begin, end, p, values); break;
    case 6: rows_of_model<Observed::substrate, Third::offset>(begin, end, p, values); break;
    default: std::fill(values.begin() + static_cast<std::ptrdiff_t>(begin),
                       values.begin() + static_cast<std::ptrdiff_t>(end), 0.0);
    }
}

}  // namespace imm
