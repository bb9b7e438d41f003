// The program-wide state: the shared data blocks of the fitting engine and the
// program-wide module of the desktop program. Nothing else in the program is
// global; every other value is passed.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace imm {

inline constexpr std::int64_t kMaxRows = 1000;      // data rows in a file
inline constexpr std::int64_t kMaxParams = 25;      // parameter vector length
inline constexpr std::int64_t kMaxCurves = 10;      // curves told apart
inline constexpr std::int64_t kModelCount = 6;      // models 1..6
inline constexpr std::int64_t kSaturationPoints = 100;

// a1: the data rows of the current file and the model values at the fitted point.
struct DataBlock {
    std::array<double, kMaxRows> t{};      // time
    std::array<double, kMaxRows> so{};     // initial substrate [So]
    std::array<double, kMaxRows> yobs{};   // observed product or substrate
    std::array<double, kMaxRows> ycalc{};  // calculated by the model
    std::int64_t nmdl = 0;                 // current model number, 0 = not defined
};

// a2: constraint counts of the bounded stage and the model limit.
struct ConstraintCounts {
    std::int64_t constraint_count = 0;
    std::int64_t equality_count = 0;
    std::int64_t model_limit = 0;
};

// a3: counts of the current run.
struct RunCounts {
    std::int64_t ndata = 0;        // data rows
    std::int64_t ncols = 0;        // file columns
    std::int64_t nparam = 0;       // parameters of the current model
    std::int64_t weight_mode = 0;  // 0 none, 1 relative, 2 robust
    double curve_sign = 1.0;       // +1 product models, -1 substrate models
};

// a4: the saturation table of the fitted model (after a run, of the best one).
struct SaturationTable {
    std::array<double, kSaturationPoints> sat_so{};       // [So] of each curve
    std::array<double, kSaturationPoints> sat_rate{};     // initial rate of each curve
    std::array<double, kSaturationPoints> sat_curve_x{};  // 0.1 Km .. 10 Km
    std::array<double, kSaturationPoints> sat_curve_y{};  // Michaelis-Menten rate there
    double sat_km = 0.0;
    double sat_vmax = 0.0;
};

// iinout: the I/O units of the data file and the report.
struct IoUnits {
    std::int64_t data_unit = 0;
    std::int64_t results_unit = 0;
};

// limits: set by the driver before any optimiser runs.
struct Limits {
    double big_bound = 4.5e15;
    double machine_eps = 2.22e-16;
};

// global_types: the desktop program's choices and the run's bookkeeping.
// Fields that menu and button callbacks write are atomics.
struct GlobalTypes {
    std::string data_file_name;     // data file, as opened
    std::string data_folder;        // its folder
    std::string report_file_name;   // report of the last run
    std::array<std::atomic<std::int64_t>, kModelCount> imdl{};  // model flags, 1 = chosen
    std::atomic<std::int64_t> imdlno{0};       // first chosen model, then the model being fitted
    std::int64_t global_mdl_count = 0;         // models chosen for the run
    std::int64_t idat = 0;                     // data rows
    std::int64_t idatasets = 0;                // curves
    std::atomic<std::int64_t> nwt_global{0};   // weighting flag, 0 or 2
    bool brerun = false;                       // the run is a Rerun
    std::string strmdl;                        // model title
    std::array<double, kMaxParams> varsav{};   // last parameters
    // Open child windows, -1 where free; index 255 = main window.
    std::array<std::int64_t, 256> child_windows = [] {
        std::array<std::int64_t, 256> all_free{};
        all_free.fill(-1);
        return all_free;
    }();
    std::int64_t idactivewin = 0;              // the main window's drawing page
};

extern DataBlock a1;
extern ConstraintCounts a2;
extern RunCounts a3;
extern SaturationTable a4;
extern IoUnits iinout;
extern Limits limits;
extern GlobalTypes global_types;

}  // namespace imm
