"""The 3-layer fit a scientific-Python user would write: scipy's least_squares on the log residuals.

For each station of a column file: the forward response by Key's 201-point digital filter evaluated at
every point (J1 for the ideal array; J0 potentials at the potential electrodes for a finite MN/2), the
residuals ln(rhoa_data) - ln(rhoa_model) over log resistivities and log thicknesses with the same bounds as
vesplot's block fit, ten seeded random starts, the best kept. Prints per station the RMS misfit (percent)
and the time, then the whole file's time.

    /usr/bin/python3 bench/peers/invert.py FILE.dat [--starts N]

Needs python3-numpy and python3-scipy (Debian packages).
"""
import argparse
import os
import time

import numpy as np
from scipy.optimize import least_squares

FILTER = os.path.join(os.path.dirname(__file__), "..", "..", "src", "model", "filters",
                      "hankel_key_201_2012_j0j1.txt")
BASE, J0, J1 = np.loadtxt(FILTER, comments="#", unpack=True)


def transform(lam, rho, thk):
    """Resistivity transform T(lambda) of a layered earth, lambda of any shape."""
    t = np.full_like(lam, rho[-1])
    for r, h in zip(rho[-2::-1], thk[::-1]):
        th = np.tanh(lam * h)
        t = (t + r * th) / (1.0 + t * th / r)
    return t


def apparent_resistivity(rho, thk, ab2, mn2):
    ideal = mn2 <= 0
    out = np.empty_like(ab2)
    s = ab2[ideal]
    lam = BASE[None, :] / s[:, None]
    out[ideal] = (transform(lam, rho, thk) * lam * J1[None, :]).sum(axis=1) * s
    s, b = ab2[~ideal], mn2[~ideal]

    def potential(r):  # integral of T(lambda) J0(lambda r) d lambda
        lam = BASE[None, :] / r[:, None]
        return (transform(lam, rho, thk) * J0[None, :]).sum(axis=1) / r

    out[~ideal] = (s * s - b * b) / (2 * b) * (potential(s - b) - potential(s + b))
    return out


def read_stations(path):
    rows = np.loadtxt(path, skiprows=3, usecols=(0, 1, 2, 3), encoding="gbk")
    for station in np.unique(rows[:, 0]):
        r = rows[rows[:, 0] == station]
        keep = (r[:, 1] > 0) & (np.abs(r[:, 1]) != 9999) & (r[:, 3] > 0) & (np.abs(r[:, 3]) != 9999)
        r = r[keep]
        mn2 = np.where((r[:, 2] > 0) & (r[:, 2] < r[:, 1]), r[:, 2], 0.0)
        yield int(station), r[:, 1], mn2, r[:, 3]


def fit(ab2, mn2, rhoa, layers=3, starts=10, seed=1):
    log_data = np.log(rhoa)

    def residuals(x):
        rho, thk = np.exp(x[:layers]), np.exp(x[layers:])
        return log_data - np.log(apparent_resistivity(rho, thk, ab2, mn2))

    lower = np.r_[np.full(layers, np.log(rhoa.min() / 1000)), np.full(layers - 1, np.log(ab2.min() / 20))]
    upper = np.r_[np.full(layers, np.log(rhoa.max() * 1000)), np.full(layers - 1, np.log(ab2.max() * 5))]
    rng = np.random.default_rng(seed)
    best = None
    for _ in range(starts):
        x0 = np.r_[rng.uniform(np.log(rhoa.min()) - 1, np.log(rhoa.max()) + 1, layers),
                   np.diff(np.r_[0, np.sort(np.exp(rng.uniform(np.log(ab2.min() / 5), np.log(ab2.max()),
                                                                layers - 1)))])]
        x0[layers:] = np.log(np.maximum(x0[layers:], ab2.min() / 10))
        x0 = np.clip(x0, lower + 1e-9, upper - 1e-9)
        result = least_squares(residuals, x0, bounds=(lower, upper))
        if best is None or result.cost < best.cost:
            best = result
    return 100 * np.sqrt(np.mean(best.fun ** 2)), best.nfev


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--starts", type=int, default=10)
    args = parser.parse_args()
    start_file = time.perf_counter()
    for station, ab2, mn2, rhoa in read_stations(args.file):
        t0 = time.perf_counter()
        rms, nfev = fit(ab2, mn2, rhoa, starts=args.starts)
        print(f"{os.path.basename(args.file)} {station} rms {rms:.2f} evaluations {nfev} "
              f"ms {1000 * (time.perf_counter() - t0):.1f}")
    print(f"{os.path.basename(args.file)} file ms {1000 * (time.perf_counter() - start_file):.1f}")


if __name__ == "__main__":
    main()
