#include "breakpoint/break_simplex.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace imm {

namespace {

constexpr double kEdge = 0.1;
constexpr double kSpreadLimit = 1e-5;
constexpr std::size_t kMaxVertices = kBreakParams + 1;

class BreakSimplex {
public:
    BreakSimplex(const BreakCurve& curve, std::span<double> p, const BreakSimplexOptions& options)
        : curve_(curve), p_(p), n_(p.size()), options_(options), box_(break_box(static_cast<std::int64_t>(n_), curve,
                                                                                  kSimplexBreakBox))
    {
    }

    BreakSimplexResult run();

private:
    // Evaluates a point: its free coordinates go into p, held ones keep the
    // caller's values, and p is reflected into the box.
    double evaluate(const BreakVector& point);
    bool free(std::size_t i) const { return options_.flags[i] != 0; }

    const BreakCurve& curve_;
    std::span<double> p_;
    const std::size_t n_;
    const BreakSimplexOptions& options_;
    const ParameterBox box_;
    std::array<BreakVector, kMaxVertices> vertex_{};
    std::array<double, kMaxVertices> value_{};
};

double BreakSimplex::evaluate(const BreakVector& point)
{
    for (std::size_t i = 0; i < n_; ++i) {
        if (free(i)) {
            p_[i] = point[i];
        }
    }
    reflect_break_parameters(p_, box_);
    return funbreak(p_, curve_);
}

BreakSimplexResult BreakSimplex::run()
{
    BreakSimplexResult result;
    const auto n = static_cast<double>(n_);
    const double along = kEdge * (n + std::sqrt(n + 1.0) - 1.0) / (n * std::numbers::sqrt2);
    const double across = kEdge * (std::sqrt(n + 1.0) - 1.0) / (n * std::numbers::sqrt2);
    const std::size_t count = n_ + 1;
    std::copy(p_.begin(), p_.end(), vertex_[0].begin());
    for (std::size_t j = 1; j < count; ++j) {
        vertex_[j] = vertex_[0];
        for (std::size_t i = 0; i < n_; ++i) {
            if (free(i)) {
                vertex_[j][i] += i + 1 == j ? along : across;
            }
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        value_[k] = evaluate(vertex_[k]);
    }

    BreakVector centroid{};
    BreakVector reflected{};
    BreakVector expanded{};
    BreakVector contracted{};
    for (std::int64_t iteration = 1; iteration <= options_.max_iterations; ++iteration) {
        result.iterations = iteration;
        std::size_t worst = 0;
        std::size_t best = 0;
        for (std::size_t k = 1; k < count; ++k) {
            if (value_[k] > value_[worst]) {
                worst = k;
            }
            if (value_[k] < value_[best]) {
                best = k;
            }
        }
        std::size_t second = best;
        for (std::size_t k = 0; k < count; ++k) {
            if (value_[k] < value_[worst] && value_[k] > value_[second]) {
                second = k;
            }
        }
        centroid.fill(0.0);
        for (std::size_t k = 0; k < count; ++k) {
            if (k != worst) {
                for (std::size_t i = 0; i < n_; ++i) {
                    centroid[i] += vertex_[k][i];
                }
            }
        }
        for (std::size_t i = 0; i < n_; ++i) {
            centroid[i] /= n;
            reflected[i] = 2.0 * centroid[i] - vertex_[worst][i];
        }
        const double fr = evaluate(reflected);
        if (value_[best] < fr && fr <= value_[second]) {
            vertex_[worst] = reflected;
            value_[worst] = fr;
        }
        if (fr <= value_[best]) {
            for (std::size_t i = 0; i < n_; ++i) {
                expanded[i] = 2.0 * reflected[i] - centroid[i];
            }
            const double fe = evaluate(expanded);
            if (fe < fr) {
                vertex_[worst] = expanded;
                value_[worst] = fe;
            } else {
                vertex_[worst] = reflected;
                value_[worst] = fr;
            }
        }
        if (fr > value_[second]) {
            for (std::size_t i = 0; i < n_; ++i) {
                contracted[i] = (vertex_[worst][i] + centroid[i]) / 2.0;
            }
            const double fk = evaluate(contracted);
            if (fk < value_[worst]) {
                vertex_[worst] = contracted;
                value_[worst] = fk;
            } else {
                for (std::size_t k = 0; k < count; ++k) {
                    if (k != best) {
                        for (std::size_t i = 0; i < n_; ++i) {
                            vertex_[k][i] = vertex_[best][i] + (vertex_[k][i] - vertex_[best][i]) / 2.0;
                        }
                    }
                }
                value_[worst] = evaluate(vertex_[worst]);
                value_[second] = evaluate(vertex_[second]);
            }
        }
        // The point evaluated last, in its reflected form, closes the iteration as the worst vertex.
        reflect_break_parameters(p_, box_);
        value_[worst] = funbreak(p_, curve_);
        std::copy(p_.begin(), p_.end(), vertex_[worst].begin());

        double mean = 0.0;
        for (std::size_t k = 0; k < n_; ++k) {
            mean += value_[k];
        }
        mean /= n + 1.0;
        double spread = 0.0;
        for (std::size_t k = 0; k < n_; ++k) {
            spread += (value_[k] - mean) * (value_[k] - mean) / (n - 1.0);
        }
        if (std::sqrt(spread) <= kSpreadLimit) {
            break;
        }
    }

    std::size_t best = 0;
    for (std::size_t k = 1; k < count; ++k) {
        if (value_[k] < value_[best]) {
            best = k;
        }
    }
    result.f = evaluate(vertex_[best]);
    return result;
}

}  // namespace

BreakSimplexResult smplx_break(const BreakCurve& curve, std::span<double> p, const BreakSimplexOptions& options)
{
    if (p.size() != 4 && p.size() != 5) {
        throw std::invalid_argument("break simplex: the break model has 4 or 5 parameters");
    }
    BreakSimplex simplex(curve, p, options);
    return simplex.run();
}

}  // namespace imm
