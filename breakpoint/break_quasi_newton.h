// The breakpoint analysis's quasi-Newton stage: the quasi-Newton core with
// the break model's box, reflection before every evaluation, held
// parameters and a larger difference step.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/quasi_newton.h"

namespace imm {

struct BreakQuasiNewtonOptions {
    BreakFlags flags = kAllBreakFlags;  // nonzero: reflected; other than 1: gradient held at 0
    std::int64_t mode = 1;              // 1 identity start, 2 factorise h, 3 h holds factors
    std::int64_t max_evaluations = 200;
};

// va10d: refines p (4 or 5 parameters) within the evolution's break box on
// this curve; h holds n(n+1)/2 packed entries. p receives the last accepted
// point and the result's f its sum; iexit is 1 on convergence, 4 otherwise.
QuasiNewtonResult va10d(const BreakCurve& curve, std::span<double> p, std::span<double> h,
                        const BreakQuasiNewtonOptions& options);

}  // namespace imm
