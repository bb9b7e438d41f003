#!/usr/bin/python3
"""Noisy progress curves of each model and their least-squares fits by scipy.

Writes tests/reference/noisy/model<m>.in (three curves of twelve rows made from
model m with Gaussian noise) and tests/reference/noisy/scipy_fits.txt (one line
per model: m, the fitted Km, Vm and third parameter, and the sum of squares).
Run once from the repository root with Debian's python3-scipy:
    /usr/bin/python3 tests/reference/noisy_fits.py
The tests read only the committed files.
"""
import pathlib

import numpy as np
from scipy import optimize, special

OUT = pathlib.Path(__file__).with_name("noisy")
SO_VALUES = [1.0, 4.0, 10.0]
TIMES = [float(i) for i in range(1, 13)]
NOISE = 0.02
TRUTH = {
    1: [2.0, 1.0],
    2: [2.0, 1.0, 0.3],
    3: [2.0, 1.0, 0.5],
    4: [2.0, 1.0],
    5: [2.0, 1.0, 0.3],
    6: [2.0, 1.0, 0.5],
}


def model(m, p, t, so):
    km, vm = p[0], p[1]
    third = p[2] if len(p) > 2 else 0.0
    tp = t + third if m in (3, 6) else t
    w = special.lambertw((so / km) * np.exp((so - vm * tp) / km)).real
    y = so - km * w if m <= 3 else km * w
    return y + third if m in (2, 5) else y


def main():
    OUT.mkdir(exist_ok=True)
    rng = np.random.default_rng(20261208)
    t = np.array([tt for _ in SO_VALUES for tt in TIMES])
    so = np.array([s for s in SO_VALUES for _ in TIMES])
    lines = []
    for m, truth in TRUTH.items():
        y = model(m, truth, t, so) + rng.normal(0.0, NOISE, t.size)
        y = np.round(y, 6)
        with open(OUT / f"model{m}.in", "w") as f:
            for row in zip(t, so, y):
                f.write("%.1f %.1f %.6f\n" % row)
        fit = optimize.least_squares(lambda p: model(m, p, t, so) - y, truth, method="lm",
                                     xtol=1e-15, ftol=1e-15, gtol=1e-15, max_nfev=100000)
        p = list(fit.x) + [0.0] * (3 - len(fit.x))
        ssq = float(np.sum(fit.fun ** 2))
        lines.append("%d %.17g %.17g %.17g %.17g\n" % (m, p[0], p[1], p[2], ssq))
    with open(OUT / "scipy_fits.txt", "w") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
