#!/usr/bin/python3
"""The tool a user would otherwise pick: scipy's differential evolution with its
polish, on the same data files and the same six models as the complete-run
benchmark. Prints, per file and model, the time, the parameters and the sum of
squares at them. The models are those of the fit tests' reference
(tests/reference/fit_minima.py): W is taken from the logarithm of its argument
where that argument is too large for a double, so every sum printed is the
true one.
Run from the repository root with Debian's python3-scipy:
    /usr/bin/python3 bench/scipy_evolution.py
"""
import pathlib
import sys
import time

import numpy as np
from scipy import optimize

ROOT = pathlib.Path(__file__).resolve().parent.parent
# The models as the fit tests' reference evaluates them.
sys.path.insert(0, str(ROOT / "tests" / "reference"))
from fit_minima import model  # noqa: E402
FILES = [ROOT / "examples" / "example.in", ROOT / "bench" / "data" / "ten_curves.in"]


def read_rows(path):
    rows = []
    for line in path.read_text().splitlines():
        text = line.strip()
        if not text or text[0] in "#'\"":
            break
        rows.append([float(v) for v in text.split()[:3]])
    return np.array(rows).T


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
