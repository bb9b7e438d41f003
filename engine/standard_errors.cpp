#include "engine/standard_errors.h"

#include "engine/matrix_inverse.h"
#include "engine/student_t.h"
#include "model/matrix_balance.h"
#include "window/window.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace imm {

namespace {

constexpr double kTiny = 2e-16;
constexpr double kElementLimit = 5e15;                // 1 / kTiny
constexpr double kDiagonalScale = 1.0000000141421357;  // 1 + sqrt(kTiny)
constexpr double kSqrtTiny = 1.414213562373095e-8;

using Square = std::array<double, kMaxParams * kMaxParams>;

}  // namespace

StandardErrors stderrpar(std::int64_t n, std::int64_t np, std::span<const double> fjac, double ssq) {
    StandardErrors out;
    auto at = [np](Square& m, std::int64_t i, std::int64_t j) -> double& {
        return m[static_cast<std::size_t>(i + j * np)];
    };
    auto jac = [&](std::int64_t k, std::int64_t j) { return fjac[static_cast<std::size_t>(k + j * kMaxRows)]; };

    for (std::int64_t i = 0; i < np; ++i) {
        for (std::int64_t j = 0; j < np; ++j) {
            double sum = 0.0;
            for (std::int64_t k = 0; k < n; ++k) sum += jac(k, i) * jac(k, j);
            at(out.finfo, i, j) = sum;
        }
    }

    Square a = out.finfo;
    for (std::int64_t k = 0; k < np * np; ++k) {
        if (std::abs(a[static_cast<std::size_t>(k)]) < kTiny) a[static_cast<std::size_t>(k)] = kTiny;
    }
    for (std::int64_t i = 0; i < np; ++i) {
        for (std::int64_t j = i + 1; j < np; ++j) at(a, j, i) = (at(a, i, j) + at(a, j, i)) / 2.0;
        at(a, i, i) *= kDiagonalScale;
    }
    for (std::int64_t k = 0; k < np * np; ++k) {
        double& v = a[static_cast<std::size_t>(k)];
        v = std::isnan(v) ? -kElementLimit : std::clamp(v, -kElementLimit, kElementLimit);
    }

    Square unbalanced = a;
    balance(a.data(), np, np);
    bool inverted = lumatinv(np, a.data(), np).status == MatrixStatus::ok;
    if (!inverted) {
        a = unbalanced;
        inverted = invertmat(a.data(), np, np).status == MatrixStatus::ok;
    }
    for (std::int64_t i = 0; inverted && i < np; ++i) {
        const double diagonal = at(a, i, i);
        inverted = diagonal > 0.0 && std::isfinite(diagonal);
    }
    if (!inverted) {
        dlgmessage(3, "Mat Inversion: Matrix diagonal = 0!");
        out.inversion_failed = true;
        out.separ.fill(std::numeric_limits<double>::quiet_NaN());
        out.parcl.fill(std::numeric_limits<double>::quiet_NaN());
        return out;
    }

    std::array<double, kMaxParams> d{};
    for (std::int64_t i = 0; i < np; ++i) {
        double& di = d[static_cast<std::size_t>(i)];
        di = std::sqrt(std::abs(at(a, i, i)));
        if (di <= 2e-15) di = kSqrtTiny;
    }
    for (std::int64_t i = 0; i < np; ++i) {
        for (std::int64_t j = 0; j <= i; ++j) {
            at(out.corrmat, i, j) = at(a, i, j) / d[static_cast<std::size_t>(i)] / d[static_cast<std::size_t>(j)];
        }
    }
    for (std::int64_t i = 0; i < np; ++i) {
        for (std::int64_t j = i + 1; j < np; ++j) at(out.corrmat, i, j) = at(out.corrmat, j, i);
        at(out.corrmat, i, i) = 1.0;
    }

    const double scale =
        n > np ? std::sqrt(ssq / static_cast<double>(n - np)) : std::numeric_limits<double>::quiet_NaN();
    const double t = tvalue(n - np);
    for (std::int64_t i = 0; i < np; ++i) {
        const auto k = static_cast<std::size_t>(i);
        out.separ[k] = scale * d[k];
        out.parcl[k] = out.separ[k] * t;
    }
    return out;
}

}  // namespace imm
