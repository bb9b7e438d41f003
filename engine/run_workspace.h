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

struct RunWorkspace {
    using RowArray = std::array<double, kMaxRows>;
    using ParamArray = std::array<double, kMaxParams>;

    // The rows as read (time, [So], y); restored into a1 before each model.
    RowArray xtmp{}, x2tmp{}, ytmp{};
    // Time, [So], y and calculated y of the model with the lowest AICc so far.
    RowArray xsav{}, x2sav{}, ysav{}, ycsav{};
    // Saturation table of that model.
    SaturationTable best_saturation{};

    ParamArray var{};       // current parameters
    ParamArray var_init{};  // start values as printed
    ParamArray best_var{};  // parameters of the model with the lowest AICc so far
    ParamArray raic{};      // AICc per fitted model

    std::array<double, kMaxRows * kMaxParams> fjac{};  // residual Jacobian, 1000 x 25

    std::array<std::int64_t, kMaxCurves> id2{};            // rows per curve
    std::array<std::int64_t, kModelCount> mdl_checked{};  // models to fit, in order

    // Kept from model to model.
    std::vector<std::string> model_titles;  // titles of the fitted models
    std::int64_t sections_written = 0;      // model sections written to the report
    double best_aicc = 1e16;
    std::int64_t best_model = 0;
    double stage3_tolerance = 0.0;        // set with the machine epsilon of limits
    double stage3_tolerance_large = 0.0;  // ten times it, halved after each model
};

// The stage-3 tolerance 2*sqrt(e)*(sqrt(e)+1) for the machine epsilon e.
double stage3_tolerance_for(double machine_eps);

}  // namespace imm
