#!/usr/bin/python3
"""Data sets for the fit tests and their least-squares minima, computed by scipy.

  data:   writes tests/reference/minima/<name>.in, progress curves of a known
          model in hard and ordinary regimes (noise-free, noisy, heavy-tailed
          noise, a negative background, a lag, [So] far above and far below Km,
          curves that stop early, four long curves).
  replicates: writes tests/reference/minima/replicates_<name>.in, curves as
          a plate reader writes them (three wells a time, each its own row,
          1 to 3% of the substrate used, or a product curve), and
          tests/reference/minima/replicates.txt: name, model, the sum of
          squares at the least-squares minimum with Km and Vm at or above 0
          and the third parameter in the range the program gives it, and the
          minimising parameters.
  minima: reads tests/reference/minima/boxes.txt (one line per data set and
          model: name, model, then the lower and upper bound of each parameter,
          as a run of the program built them from its start values when the
          fixtures were made; no script writes it and the tests do not read it)
          and writes tests/reference/minima/minima.txt: name, model, the sum of
          squares at the least-squares minimum inside that box and the
          minimising parameters, found by scipy's bounded least squares from
          many starts. The tests check that each minimum lies inside the box of
          the program's own fit, whatever the boxes of this file.

The models are evaluated in exact arithmetic (Lambert W from scipy, in log
space where e^u overflows). Run from the repository root with Debian's
python3-scipy:
    /usr/bin/python3 tests/reference/fit_minima.py data
    /usr/bin/python3 tests/reference/fit_minima.py minima
    /usr/bin/python3 tests/reference/fit_minima.py replicates
The tests read only the committed files.
"""
import multiprocessing
import pathlib
import sys

import numpy as np
from scipy import optimize, special

OUT = pathlib.Path(__file__).with_name("minima")


def omega_of_log(L):
    """W(e^L) for every entry of L."""
    L = np.asarray(L, dtype=float)
    w = np.zeros_like(L)
    moderate = L < 500.0
    w[moderate] = special.lambertw(np.exp(L[moderate])).real
    large = ~moderate
    if np.any(large):
        x = L[large] - np.log(L[large])
        for _ in range(8):
            x = x - (x + np.log(x) - L[large]) / (1.0 + 1.0 / x)
        w[large] = x
    return w


def model(m, p, t, so):
    """Product (models 1-3) or substrate (4-6) at time t of a curve from so."""
    km, vm = p[0], p[1]
    third = p[2] if len(p) > 2 else 0.0
    tp = t + third if m in (3, 6) else t
    with np.errstate(all="ignore"):
        w = omega_of_log(np.log(so / km) + (so - vm * tp) / km)
        y = so - km * w if m <= 3 else km * w
    return y + third if m in (2, 5) else y


def parameter_count(m):
    return 2 if m in (1, 4) else 3


def write(name, model_number, truth, so_values, times, noise, seed, digits=6):
    rng = np.random.default_rng(seed)
    t = np.array([tt for _ in so_values for tt in times])
    so = np.array([s for s in so_values for _ in times])
    y = model(model_number, truth, t, so) + noise(rng, t.size)
    with open(OUT / f"{name}.in", "w") as f:
        for row in zip(t, so, y):
            f.write("%.4f %.4f %.*f\n" % (row[0], row[1], digits, row[2]))


def gaussian(sigma):
    return lambda rng, n: rng.normal(0.0, sigma, n)


def heavy_tailed(scale):
    return lambda rng, n: scale * rng.standard_t(1.5, n)


def no_noise(rng, n):
    return np.zeros(n)


def data():
    OUT.mkdir(exist_ok=True)
    base = {1: [2.0, 1.0], 2: [2.0, 1.0, 0.3], 3: [2.0, 1.0, 0.5],
            4: [2.0, 1.0], 5: [2.0, 1.0, 0.3], 6: [2.0, 1.0, 0.5]}
    twelve = [float(i) for i in range(1, 13)]
    for m, truth in base.items():
        write(f"exact_model{m}", m, truth, [1.0, 4.0, 10.0], twelve, no_noise, 0)
        write(f"noisy_model{m}", m, truth, [1.0, 4.0, 10.0], twelve, gaussian(0.02), 100 + m)
    grid = lambda start, stop, step: [start + step * i for i in range(int(round((stop - start) / step)) + 1)]
    write("negative_background", 5, [40.0, 2.5, -3.0], [20.0, 50.0, 100.0, 200.0], grid(0, 60, 3),
          gaussian(0.8), 201)
    write("lag", 6, [25.0, 1.5, -3.0], [30.0, 60.0, 120.0], grid(0, 40, 2), gaussian(0.5), 202)
    write("so_far_above_km", 1, [5.0, 2.0], [50.0, 100.0, 200.0], grid(0, 15, 0.75), gaussian(0.3), 203)
    write("so_far_below_km", 4, [200.0, 10.0], [5.0, 10.0, 20.0], grid(0, 40, 2), gaussian(0.05), 204)
    write("early_stop", 4, [50.0, 1.0], [50.0, 100.0, 200.0], grid(0, 20, 1), gaussian(0.2), 205)
    write("long_substrate_background", 5, [30.0, 0.8, -2.5], [25.0, 50.0, 100.0, 150.0], grid(0, 130, 2),
          gaussian(0.7), 206)
    write("heavy_tailed", 1, [2.0, 1.0], [1.0, 4.0, 10.0], grid(1, 20, 1), heavy_tailed(0.02), 207)
    write("ten_curves", 1, [2.0, 1.0], [0.5 * (c + 1) for c in range(10)], grid(0.1, 10, 0.1), gaussian(0.02),
          208)


def read(path):
    rows = np.loadtxt(path, comments=["#", "'", '"'])
    return rows[:, 0], rows[:, 1], rows[:, 2]


def least_squares_minimum(m, t, so, y, lo, hi, starts, rng):
    n = parameter_count(m)
    lo = np.array(lo, float)
    hi = np.array(hi, float)
    # Km and Vm must be positive: the model has no value at 0.
    inner_lo = lo.copy()
    for i in (0, 1):
        inner_lo[i] = max(lo[i], 1e-12 * hi[i])

    def residuals(p):
        r = model(m, p, t, so) - y
        return np.where(np.isfinite(r), r, 1e10)

    def solve(p0, evaluations):
        r = optimize.least_squares(residuals, np.clip(p0, inner_lo, hi), bounds=(inner_lo, hi), method="trf",
                                   x_scale="jac", xtol=1e-15, ftol=1e-15, gtol=1e-15, max_nfev=evaluations)
        return float(np.sum(r.fun ** 2)), r.x

    best = (np.inf, None)
    for _ in range(starts):
        p0 = np.empty(n)
        for i in range(n):
            if i < 2:  # log-uniform over the upper twelve decades of the box
                top = np.log(hi[i])
                p0[i] = np.exp(rng.uniform(max(np.log(inner_lo[i]), top - 12.0), top))
            else:
                p0[i] = rng.uniform(lo[i], hi[i])
        try:
            candidate = solve(p0, 3000)
        except ValueError:
            continue
        if candidate[0] < best[0]:
            best = candidate
    for _ in range(3):
        candidate = solve(best[1], 20000)
        if candidate[0] < best[0]:
            best = candidate
    return best


def minimum_line(line):
    words = line.split()
    name, m = words[0], int(words[1])
    bounds = [float(v) for v in words[2:]]
    t, so, y = read(OUT / f"{name}.in")
    rng = np.random.default_rng([20261208, m, sum(name.encode())])
    ssq, p = least_squares_minimum(m, t, so, y, bounds[0::2], bounds[1::2], 80, rng)
    return "%s %d %.17g %s\n" % (name, m, ssq, " ".join("%.17g" % v for v in p))


def minima():
    with open(OUT / "boxes.txt") as f:
        jobs = f.readlines()
    with multiprocessing.Pool() as pool:
        lines = pool.map(minimum_line, jobs, chunksize=1)
    with open(OUT / "minima.txt", "w") as f:
        f.writelines(lines)


# Robust weights as the program computes them: an M-estimate of the location
# of the absolute residuals (binned median, mean absolute deviation) with a
# sine-shaped weight function, every weight within [1e-6, 1].
C1, C2, C1C2 = 1.4830000400543213, 4.658999919891357, 6.909297067811963


def binned_median(x):
    n = len(x)
    mean = sum(x) / n
    sigma = (sum((v - mean) ** 2 for v in x) / n) ** 0.5
    scale = 1000.0 / (2.0 * sigma) if sigma > 0 else np.inf
    left, right = mean - sigma, mean + sigma
    bins = [0] * 1001
    below = 0
    for v in x:
        if v < left:
            below += 1
        elif v < right:
            position = (v - left) * scale
            bins[1000 if position >= 1000 else (int(position) if position > 0 else 0)] += 1
    k = (n + 1) // 2 if n % 2 == 1 else n // 2
    count = below
    for b in range(1001):
        count += bins[b]
        if count < k:
            continue
        if n % 2 == 1:
            return (b + 0.5) / scale + left
        j = b
        while count == k and j < 1000:
            j += 1
            count += bins[j]
        return (b + j + 1) / (2.0 * scale) + left
    return mean


def robust_weights(r):
    a = [abs(v) for v in r]
    median = binned_median(a)
    s = min(max(sum(abs(v - median) for v in a) / len(a), 1e-15), 1e15)
    if s <= 1e-8:
        return np.ones(len(r))
    location = median
    w = [1.0] * len(r)
    for _ in range(11):
        numerator = denominator = 0.0
        for i, v in enumerate(a):
            deviation = v - location
            u = deviation / (s * C1C2)
            w[i] = 1.0 if abs(u) < 1e-8 else (C1 * np.sin(C2 * u) / u if abs(u) <= C2 else 1e-8)
            numerator += deviation * w[i]
            limited = C2 if abs(u) > C2 else u
            denominator += C1C2 if limited == 0 else C1 * np.sin(C2 * limited) / limited
        step = numerator / denominator
        if abs(step) <= 1e-8:
            break
        location += step
    return np.array([min(v, 1.0) if v >= 1e-6 else 1e-6 for v in w])


def robust_fixed_point(m, t, so, y, lo, hi, start):
    """The weighted least-squares minimum whose residuals give back its own weights,
    reached from the least-squares minimum by holding the weights, minimising and
    taking the weights afresh."""
    n = parameter_count(m)
    inner_lo = np.array(lo, float)
    for i in (0, 1):
        inner_lo[i] = max(lo[i], 1e-12 * hi[i])
    p = np.array(start, float)
    w = robust_weights(model(m, p, t, so) - y)
    for _ in range(100):
        root = np.sqrt(w)
        fit = optimize.least_squares(lambda q: root * (model(m, q, t, so) - y), np.clip(p, inner_lo, hi),
                                     bounds=(inner_lo, np.array(hi, float)), method="trf", x_scale="jac",
                                     xtol=1e-15, ftol=1e-15, gtol=1e-15, max_nfev=20000)
        p = fit.x
        fresh = robust_weights(model(m, p, t, so) - y)
        settled = np.max(np.abs(fresh - w)) <= 1e-6
        w = fresh
        if settled:
            break
    return float(np.sum(w * (model(m, p, t, so) - y) ** 2)), p


ROBUST_FITS = [("heavy_tailed", 1), ("heavy_tailed", 2), ("heavy_tailed", 3), ("noisy_model4", 4),
               ("long_substrate_background", 5), ("negative_background", 5), ("lag", 6)]


def robust():
    boxes = {(w[0], int(w[1])): [float(v) for v in w[2:]] for w in map(str.split, open(OUT / "boxes.txt"))}
    starts = {(w[0], int(w[1])): [float(v) for v in w[3:]] for w in map(str.split, open(OUT / "minima.txt"))}
    lines = []
    for name, m in ROBUST_FITS:
        bounds = boxes[(name, m)]
        t, so, y = read(OUT / f"{name}.in")
        ssq, p = robust_fixed_point(m, t, so, y, bounds[0::2], bounds[1::2], starts[(name, m)])
        lines.append("%s %d %.17g %s\n" % (name, m, ssq, " ".join("%.17g" % v for v in p)))
        print(lines[-1], end="", flush=True)
    with open(OUT / "robust.txt", "w") as f:
        f.writelines(lines)


REPLICATE_TIMES = [0.0, 1.45, 2.9, 4.3667, 5.8667, 7.5, 9.0, 10.4833, 12.0, 13.5, 14.9833]
REPLICATE_SO = [5.0, 10.0, 15.0, 25.0, 50.0, 75.0, 100.0, 150.0]
# name: the model the rows follow, its Km and Vm, the instrument's offset and the seed.
REPLICATES = {"slow": (4, 5.0, 0.12, -0.5, 6), "near_zero_order": (4, 1.0, 0.05, -0.4, 2),
              "moderate_km": (4, 20.0, 0.15, -0.3, 6), "product": (1, 20.0, 1.5, 0.8, 1)}


def write_replicates(name, m, km, vm, offset, seed):
    """Three wells a time for each [So]: each curve's own concentration a little
    off the nominal [So], each well its own offset, noise on every reading and
    the instrument's offset on all."""
    rng = np.random.default_rng(seed)
    wells, times = 3, len(REPLICATE_TIMES)
    t = np.array([tt for _ in REPLICATE_SO for tt in REPLICATE_TIMES for _ in range(wells)])
    so = np.repeat(REPLICATE_SO, times * wells)
    start = np.repeat(np.array(REPLICATE_SO) * (1 + rng.normal(0, 0.02, len(REPLICATE_SO))), times * wells)
    well = np.tile(rng.normal(0, 1, (len(REPLICATE_SO), wells)), (1, times)).ravel() * (0.15 + 0.005 * so)
    y = model(m, [km, vm], t, start) + well + rng.normal(0, 0.25, t.size) + offset
    with open(OUT / f"replicates_{name}.in", "w") as f:
        for row in zip(t, so, y):
            f.write("%.4f %g %.4f\n" % row)


def replicates():
    jobs = []
    for name, (m, km, vm, offset, seed) in REPLICATES.items():
        write_replicates(name, m, km, vm, offset, seed)
        t, so, y = read(OUT / f"replicates_{name}.in")
        for fitted in (1, 2, 3) if m <= 3 else (4, 5, 6):
            # The program's range of the background or time offset, which these data do not widen.
            half = (t.max() if fitted in (3, 6) else y.max()) / 2
            jobs.append(f"replicates_{name} {fitted} 0 1e6 0 1e4" + (f" {-half!r} {half!r}" if fitted % 3 != 1 else ""))
    with multiprocessing.Pool() as pool:
        lines = pool.map(minimum_line, jobs, chunksize=1)
    with open(OUT / "replicates.txt", "w") as f:
        f.writelines(lines)


if __name__ == "__main__":
    {"data": data, "minima": minima, "robust": robust, "replicates": replicates}[sys.argv[1]]()
