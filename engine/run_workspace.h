// Everything the regression driver owns for one call: the run-time arrays and the
// values kept from model to model. One object per call, created at its start and
// destroyed on every way out, so nothing is left allocated after an abort.
// Matrices are column-major.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/shared_blocks.h"

namespace imm {

inline constexpr std::int64_t kMaxConstraints = 50;
inline constexpr std::int64_t kPackedHessianSize = 325;  // n(n+1)/2 for n = 25
inline constexpr std::int64_t kBreakParams = 5;          // bent-hyperbola parameters per curve

struct RunWorkspace {
    using RowArray = std::array<double, kMaxRows>;
    using ParamArray = std::array<double, kMaxParams>;

    // The rows as read (time, [So], y); restored into a1 before each model.
    RowArray xtmp{}, x2tmp{}, ytmp{};
    // Time, [So], y and calculated y of the model with the lowest AICc so far.
    RowArray xsav{}, x2sav{}, ysav{}, ycsav{};
    // Residuals of the start point and their weights.
    RowArray r2{}, wt_robust{};

    ParamArray var{};       // current parameters
    ParamArray var1{};      // best point of the current model
    ParamArray var_init{};  // start values as printed
    ParamArray best_var{};  // parameters of the model with the lowest AICc so far
    ParamArray pblo{}, pbhi{};  // parameter bounds
    ParamArray grad{};          // gradient at the fitted point
    ParamArray separ{}, parcl{};  // standard errors and 95% half-widths
    ParamArray raic{}, ridx{}, aicwt{};  // AICc per fitted model, index carried by the sort, Akaike weights

    std::array<double, kMaxConstraints> constr{};               // constraint values
    std::array<double, kMaxParams * kMaxConstraints> rjacob{};  // constraint Jacobian, 25 x 50
    std::array<double, kMaxRows * kMaxParams> fjac{};           // residual Jacobian, 1000 x 25
    std::array<double, kMaxParams * kMaxParams> corrmat{};      // correlation matrix
    std::array<double, kMaxParams * kMaxParams> finfo{};        // information matrix
    std::array<double, kPackedHessianSize> hes{};               // packed Hessian start

    std::array<std::int64_t, kMaxCurves> id2{};            // rows per curve
    std::array<std::int64_t, kModelCount> mdl_checked{};  // models to fit, in order
    std::array<double, kMaxCurves * kBreakParams> pb{};   // break-model parameters per curve, 10 x 5
    std::vector<std::int32_t> pmask;                      // free-parameter mask, sized per model

    // Kept from model to model.
    std::vector<std::string> model_titles;  // titles of the fitted models
    double best_aicc = 1e16;
    std::int64_t best_model = 0;
    double stage3_tolerance = 0.0;        // set with the machine epsilon of limits
    double stage3_tolerance_large = 0.0;  // ten times it, halved after each model
    double seed = 0.0;                    // random-search seed of stage 2
};

// The stage-3 tolerance 2*sqrt(e)*(sqrt(e)+1) for the machine epsilon e.
double stage3_tolerance_for(double machine_eps);

}  // namespace imm
