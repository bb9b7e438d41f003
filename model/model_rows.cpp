#include "model/model_rows.h"

#include <algorithm>
#include <array>
#include <limits>

#include "model/models.h"
#include "support/avx2_clones.h"

namespace imm {

namespace {

using namespace model_detail;

// Rows are taken in blocks: the lanes of a block go through each step side by
// side, and enough of them keep the processor busy while one step waits for
// the last.
constexpr std::size_t kLanes = 32;
using Block = std::array<double, kLanes>;

// Each block's exponentials and Omega steps are built a second time for
// processors with AVX2, which take four lanes at once. Without fused
// multiply-adds both builds round alike, so the results are the same bits.
SORVEK_AVX2_CLONES void exp_of_block(const Block& u, Block& e) { qexp_lanes(u, e); }
SORVEK_AVX2_CLONES void omega_of_block(const Block& x, Block& w) {
    omega_wo_side_by_side(x, w);
}

template <Observed kObserved, Third kThird>
void rows_of_model(std::size_t begin, std::size_t end, std::span<const double> p, std::span<double> values) {
    const ModelParameters<kThird> m(p);
    if (!m.usable()) {
        std::fill(values.begin() + static_cast<std::ptrdiff_t>(begin),
                  values.begin() + static_cast<std::ptrdiff_t>(end), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    constexpr double kIdleLane = 1.5;  // an argument that iterates, for lanes with no row or no steps to take
    Block u{}, ratio{}, e{}, z{}, w{};
    std::array<bool, kLanes> usable{}, iterated{};
    for (std::size_t first = begin; first < end; first += kLanes) {
        const std::size_t lanes = std::min(kLanes, end - first);
        for (std::size_t j = 0; j < lanes; ++j) {
            const double so = a1.so[first + j];
            const double tp = m.time(a1.t[first + j]);
            usable[j] = std::isfinite(tp);
            u[j] = m.exponent(so, tp);
            ratio[j] = so / m.km;
        }
        std::fill(u.begin() + static_cast<std::ptrdiff_t>(lanes), u.end(), 0.0);
        exp_of_block(u, e);
        for (std::size_t j = 0; j < kLanes; ++j) {
            // What scaled_omega does when it hands omega_wo an argument that iterates.
            const double scaled = e[j] * ratio[j];
            iterated[j] = j < lanes && usable[j] && u[j] < 70.0 && omega_wo_iterates(scaled);
            z[j] = iterated[j] ? scaled : kIdleLane;
        }
        omega_of_block(z, w);
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
