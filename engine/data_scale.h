// The units a model is fitted in. The fit's fixed floors, steps and bounds
// (start values of at least 1e-6, a first simplex edge of about 0.1, start
// values within +-1e6) suit concentrations and rates of ordinary size: data
// in molar units and seconds, say, put Vm near 1e-8 and the fit stops far from
// its minimum. Such data are fitted in units a power of two apart, in which
// they are of ordinary size. The model is then the same function of the
// scaled numbers, exactly, and the results go back to the data's units exactly.
#pragma once

#include <cstdint>
#include <span>

#include "engine/model_fit.h"
#include "support/shared_blocks.h"

namespace imm {

// Data units per fitted unit: powers of two, 1 where the data need no change.
struct DataScale {
    double concentration = 1.0;  // of [So], the observed values, Km and a background
    double time = 1.0;           // of the times and a time offset

    bool unchanged() const { return concentration == 1.0 && time == 1.0; }
};

// The units for the first `rows` rows of `data`. Data whose largest [So] or
// observed value, largest time and their ratio are all of ordinary size keep
// theirs; other data get units in which the largest concentration and the
// largest time lie in [128, 256). With relative weighting (mode 1), whose sum
// does not scale with the concentrations, only the time changes. Data whose
// [So] spread over more than six decades, or whose values would not all stay
// normal numbers in the new units, keep theirs.
DataScale data_scale(const DataBlock& data, std::int64_t rows, std::int64_t weight_mode);

enum class Toward { fitted_units, data_units };

// The times, [So] and observed values of the first `rows` rows into the other units.
void scale_rows(DataBlock& data, std::int64_t rows, const DataScale& scale, Toward units);

// The parameters of `model` into the other units.
void scale_parameters(std::span<double> p, std::int64_t model, const DataScale& scale, Toward units);

// A fit's start values, box, parameters and sums of squares in the data's units.
void fit_to_data_units(ModelFitResult& fit, std::int64_t model, std::int64_t nparam, const DataScale& scale);

}  // namespace imm
