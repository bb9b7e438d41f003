// The active-set method behind ve02ad and its feasible-point phase la02ad,
// working on the caller's workspace. Internal to the quadratic-programming solver.
#pragma once

#include <cstdint>
#include <optional>

#include "optimise/matrix_kernels.h"
#include "optimise/quadratic_program.h"

namespace imm {

// The smallest directional change that counts in a ratio test (1e-25 in single precision).
inline constexpr double kSmallestChange = 1.0000000195414814e-25;

class ActiveSet {
public:
    ActiveSet(const QpProblem& p, QpWorkspace& ws);

    QpStatus solve(std::int64_t mode);
    QpStatus feasible_vertex();

private:
    enum class Next { reduced_step, multiplier_test };
    struct Block {
        double step;
        std::int64_t constraint;  // 0: nothing blocks
    };

    double& w(std::int64_t r, std::int64_t c) { return ws_.w[r + c * ws_.ldw]; }
    double* w_row(std::int64_t r) { return ws_.w + r; }
    std::int64_t& status(std::int64_t c) { return ws_.iw[2 * n_ + c - 1]; }
    std::int64_t& entry(std::int64_t r) { return ws_.iw[r]; }
    // Vectors of the work area x: 0 the point, 1..4 work, 5 direction, 6 gradient.
    double* vec(std::int64_t slot) { return ws_.x + slot * n_; }
    bool tick() { return ++steps_ <= step_limit_; }

    // Starts; nullopt means "iterate from here".
    std::optional<QpStatus> start(std::int64_t& mode);
    std::optional<QpStatus> cold_start(std::int64_t mode);
    std::optional<QpStatus> invert_hessian();
    std::optional<QpStatus> rebuild();
    void mark_list();
    void form_point();
    bool inactive_satisfied();

    QpStatus iterate(std::int64_t mode);
    std::optional<QpStatus> reduced_step();
    std::optional<QpStatus> drop(std::int64_t chosen, double lambda);
    void gradient_into(double* out);
    void store_gradient_and_objective();
    Block ratio_test(const double* d);
    void move(double step, const double* d);

    // Updates of w for a change of the active set.
    bool add_update(std::int64_t c);
    void drop_update(std::int64_t dropped, double kappa);
    bool vertex_pivot(std::int64_t replaced, std::int64_t c);
    bool exchange(std::int64_t replaced, std::int64_t c, double kappa);
    void normal_into(std::int64_t c, double* out);

    // Feasible-point phase.
    void bounds_vertex();
    bool complete_vertex();
    bool invert_normals();
    void vertex_point();
    std::int64_t nearer_bound(std::int64_t i);

    const QpProblem& p_;
    QpWorkspace& ws_;
    std::int64_t n_;
    std::int64_t& k_;
    double* x_;
    Next next_ = Next::reduced_step;
    std::int64_t steps_ = 0;
    std::int64_t step_limit_;
};

}  // namespace imm
