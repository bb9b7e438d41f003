#!/usr/bin/env python3
"""Writes substrate_vs_time.in: substrate left over time for three initial
concentrations, from the integrated Michaelis-Menten equation
S(t) = Km * W((So/Km) * exp((So - Vm*t)/Km)) with a little Gaussian noise.
Run from this folder: python3 make_substrate_example.py (needs numpy and scipy)."""
import numpy as np
from scipy.special import lambertw

KM = 40.0
VM = 0.5
SEED = 20261208
NOISE = 0.01  # standard deviation as a fraction of [So]

rng = np.random.default_rng(SEED)
lines = []
for so in (20.0, 60.0, 150.0):
    for t in np.arange(0.0, 201.0, 20.0):
        s = KM * lambertw((so / KM) * np.exp((so - VM * t) / KM)).real
        s += rng.normal(0.0, NOISE * so)
        lines.append(f"{t:5.1f}\t{so:.1f}\t{s:.3f}")
lines += [
    "",
    f"# True values: Km = {KM}, Vm = {VM}; noise sd = {NOISE:.0%} of [So], numpy seed {SEED}.",
    "# Column 1: time; column 2: initial [So] of the curve; column 3: [Substrate] left.",
    "# Fit with the substrate models (4 to 6).",
]
with open("substrate_vs_time.in", "w", newline="\n") as out:
    out.write("\n".join(lines) + "\n")
