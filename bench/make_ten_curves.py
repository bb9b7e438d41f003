#!/usr/bin/python3
"""Writes bench/data/ten_curves.in: ten product curves of 100 rows each from the
product model (Km 2, Vm 1) with Gaussian noise of 0.02. Run from the repository root:
    /usr/bin/python3 bench/make_ten_curves.py
"""
import pathlib

import numpy as np
from scipy import special

OUT = pathlib.Path(__file__).with_name("data") / "ten_curves.in"


def main():
    rng = np.random.default_rng(1000)
    km, vm = 2.0, 1.0
    with open(OUT, "w") as f:
        for c in range(10):
            so = 0.5 * (c + 1)
            for i in range(100):
                t = 0.1 * (i + 1)
                y = so - km * special.lambertw((so / km) * np.exp((so - vm * t) / km)).real
                f.write("%.1f %.1f %.6f\n" % (t, so, y + rng.normal(0.0, 0.02)))


if __name__ == "__main__":
    main()
