// Factors H = U'DU of a symmetric matrix in packed storage: the rows of the
// upper triangle one after the other, row i starting with D(i) and going on
// with U(i, j) for j > i; n(n+1)/2 reals.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

constexpr std::int64_t packed_size(std::int64_t n) { return n * (n + 1) / 2; }

// Index of the diagonal entry of row i (0-based) in packed storage.
constexpr std::int64_t packed_diagonal(std::int64_t n, std::int64_t i) { return i * n - i * (i - 1) / 2; }

// Sets the factors to the identity.
void set_identity_factor(std::span<double> h, std::int64_t n);

// Factorises the symmetric matrix in h in place into U'DU. Stops at the first
// pivot that is not positive and returns false; h is then partly factorised.
bool factorise_packed(std::span<double> h, std::int64_t n);

// Factorises like factorise_packed, but a pivot that is not positive is set to
// 0 and its row is left as it is; returns the number of positive pivots.
std::int64_t mc11bd(std::span<double> h, std::int64_t n);

// Solves U'v = u by forward substitution.
void solve_unit_lower(std::span<const double> h, std::int64_t n, std::span<const double> u, std::span<double> v);

// Solves U'DU s = -g; v receives the forward-substitution result.
void solve_newton_direction(std::span<const double> h, std::int64_t n, std::span<const double> g,
                            std::span<double> v, std::span<double> s);

// Adds sigma*u*u' to the factors. u is overwritten; v and beta are work vectors
// of n. A diagonal entry that would not be positive becomes dmin, which tracks
// the smallest diagonal entry.
void rank_one_update(std::span<double> h, std::int64_t n, double sigma, std::span<double> u,
                     std::span<double> v, std::span<double> beta, double& dmin);

}  // namespace imm
