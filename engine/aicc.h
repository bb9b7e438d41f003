// The corrected Akaike criterion of a fitted model and its relative-error penalty.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

// Sum over the parameters of min(se/|p|, 2); a parameter whose ratio is not finite (a
// zero parameter, a standard error that is not a number) counts 2.
double relative_error_penalty(std::span<const double> params, std::span<const double> std_errors);

// n ln(ssq/n) + (penalty + T) k n/(n - k), T the small-sample term 2n(n-1)/(n-k)^2 - 31/32
// rounded to one decimal. n data rows, k parameters; NaN when n <= k. An exact fit
// (ssq = 0) takes the smallest normal double as its mean square.
double aicc(std::int64_t n, std::int64_t k, double penalty, double ssq);

// Whether a model's AICc replaces the best so far: only a finite value below it does.
bool improves_best_aicc(double candidate, double best_so_far);

}  // namespace imm
