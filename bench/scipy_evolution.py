#!/usr/bin/python3
"""The tool a user would otherwise pick: scipy's differential evolution with its
polish, on the same data files and the same six models as the complete-run
benchmark. Prints, per file and model, the time, the parameters and the sum of
squares at them. W is taken from the logarithm of its argument where that
argument is too large for a double, as the program does, so every sum printed
is the true one.
Run from the repository root with Debian's python3-scipy:
    /usr/bin/python3 bench/scipy_evolution.py
"""
import pathlib
import time

import numpy as np
from scipy import optimize, special

ROOT = pathlib.Path(__file__).resolve().parent.parent
FILES = [ROOT / "examples" / "example.in", ROOT / "bench" / "data" / "ten_curves.in"]


def read_rows(path):
    rows = []
    for line in path.read_text().splitlines():
        text = line.strip()
        if not text or text[0] in "#'\"":
            break
        rows.append([float(v) for v in text.split()[:3]])
    return np.array(rows).T


def omega_of_log(log_arg):
    """W(e^L) for an array of L: directly while e^L is well inside the doubles,
    else from w + ln(w) = L by Newton steps from L - ln(L)."""
    w = np.empty_like(log_arg)
    large = log_arg > 100.0
    w[~large] = special.lambertw(np.exp(log_arg[~large])).real
    big = log_arg[large]
    v = big - np.log(big)
    for _ in range(6):
        v = v * (1.0 + big - np.log(v)) / (1.0 + v)
    w[large] = v
    return w


def model(m, p, t, so):
    km, vm = p[0], p[1]
    third = p[2] if len(p) > 2 else 0.0
    tp = t + third if m in (3, 6) else t
    w = omega_of_log(np.log(so / km) + (so - vm * tp) / km)
    y = so - km * w if m <= 3 else km * w
    return y + third if m in (2, 5) else y


def sum_of_squares(m, p, t, so, y):
    r = y - model(m, p, t, so)
    return float(np.dot(r, r))


def bounds_of(m, t, so, y):
    km = (1e-6, 100.0 * so.max())
    vm = (1e-6, 100.0 * max(abs(y).max(), 1e-6) / max(t.max(), 1e-6))
    if m in (2, 5):
        return [km, vm, (-0.5 * y.max(), 0.5 * y.max())]
    if m in (3, 6):
        return [km, vm, (-0.5 * t.max(), 0.5 * t.max())]
    return [km, vm]


def main():
    for path in FILES:
        t, so, y = read_rows(path)
        total = 0.0
        for m in range(1, 7):
            def ssq(p):
                value = sum_of_squares(m, p, t, so, y)
                return value if np.isfinite(value) else 4.5e15
            start = time.perf_counter()
            fit = optimize.differential_evolution(ssq, bounds_of(m, t, so, y), polish=True, seed=1, tol=1e-10,
                                                  maxiter=2000)
            seconds = time.perf_counter() - start
            total += seconds
            parameters = " ".join("%.7g" % v for v in fit.x)
            print("%s model %d: %8.3f s  %7d evaluations  ssq %.10g  at %s"
                  % (path.name, m, seconds, fit.nfev, sum_of_squares(m, fit.x, t, so, y), parameters))
        print("%s all six models: %.3f s" % (path.name, total))


if __name__ == "__main__":
    main()
