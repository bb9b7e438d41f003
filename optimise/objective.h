// The objective as every optimiser sees it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "support/shared_blocks.h"

namespace imm {

inline constexpr std::int64_t kMaxConstraints = 50;

// What a full evaluation fills besides the value.
struct ObjectiveDerivatives {
    std::array<double, kMaxParams> gradient{};
    std::array<double, kMaxConstraints> constraints{};  // each asked to be >= 0
    // Column k is the gradient of constraint k: 25 rows by 50 columns, column-major.
    std::array<double, kMaxParams * kMaxConstraints> constraint_jacobian{};

    double& jacobian(std::int64_t parameter, std::int64_t constraint)
    {
        return constraint_jacobian[static_cast<std::size_t>(constraint * kMaxParams + parameter)];
    }
};

// A function of the parameter vector to be minimised. The value is cheap:
// one pass over the data.
class Objective {
public:
    virtual ~Objective() = default;
    virtual double value(std::span<const double> x) = 0;

    // The values at count points of n parameters each, stored one after
    // another in points, into values[0..count-1]: each equal to value at that
    // point. An objective may take the points side by side.
    virtual void values(std::span<const double> points, std::size_t n, std::span<double> values) {
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = value(points.subspan(i * n, n));
    }
};

// An objective that can also give its gradient and its constraints. Its
// value from `evaluate` equals `value` bit for bit.
class ConstrainedObjective : public Objective {
public:
    virtual double evaluate(std::span<const double> x, ObjectiveDerivatives& derivatives) = 0;
};

}  // namespace imm
