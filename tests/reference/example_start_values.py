#!/usr/bin/python3
"""Least-squares Km and Vm of the integrated Michaelis-Menten product model
fitted to the example data (three curves of nine rows); writes
tests/optimise/data/example_fit.txt. Run once; the output is committed."""
import os
import numpy as np
from scipy.optimize import least_squares
from scipy.special import lambertw

times = [0.0, 40.0, 120.0, 160.0, 200.0, 240.0, 280.0, 320.0, 360.0]
curves = {
    50.0: [0.534, 13.746, 32.728, 42.628, 45.370, 50.784, 50.427, 51.246, 48.362],
    100.0: [-0.641, 14.850, 37.821, 50.926, 61.111, 73.611, 83.974, 93.091, 98.682],
    500.0: [2.315, 14.138, 42.735, 57.799, 71.688, 84.473, 97.009, 112.180, 123.469],
}
t = np.array([x for so in curves for x in times])
so = np.array([s for s in curves for _ in times])
y = np.array([v for s in curves for v in curves[s]])


def product(p):
    km, vm = p
    with np.errstate(over="ignore"):
        z = (so / km) * np.exp((so - vm * t) / km)
    return so - km * lambertw(z).real


fit = least_squares(lambda p: y - product(p), x0=[100.0, 0.5], xtol=1e-15, ftol=1e-15, gtol=1e-15)
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "..", "optimise", "data", "example_fit.txt"), "w") as out:
    out.write("# Km Vm sum-of-squares of model 1 fitted to the example data\n")
    out.write(f"{fit.x[0]:.12e} {fit.x[1]:.12e} {2 * fit.cost:.12e}\n")
print(fit.x, 2 * fit.cost)
