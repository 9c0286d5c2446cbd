#!/usr/bin/env python3
"""The benchmark fit of vellmor-cli fit, done the usual way with SciPy, for comparison.

Fits heat_transfer.factor and viscosity.activation_K to 19 diameters, 9 temperatures and
the take-up tension at take-up speeds of 4000 and 5000 m/min (the data made by this same
script at 1.6e-4 and 6900 K, noise-free), from the built-in card's values: least_squares
(trust-region reflective, finite-difference Jacobian) over solve_ivp (RK45, rtol 1e-8), the
spinneret tension shot to the take-up speed with brentq for every evaluation, the zone ends
and the solidification crossing integrated as separate pieces.

    /usr/bin/python3 tools/scipy_fit_comparison.py     # needs python3-scipy

Prints the estimates, the number of model solves and the time of the fit.
"""

import math
import time

import numpy as np
from scipy.integrate import solve_ivp
from scipy.optimize import brentq, least_squares

PI = 3.1415926
QUARTER_PI = 0.78539815
ZONES = [  # end (cm), A1, A2, A3, air velocity (cm/s); zone 3 keeps zone 2's air
    (10.0, 16087.5, -32.5, 765.0, 0.0),
    (35.0, 60.0, -8.0, 20.0, 50.0),
    (100.0, 60.0, -8.0, 20.0, 0.0),
]
HOLE, OUTPUT, MELT, IV = 0.025, 1.0, 290.0, 0.67
W = OUTPUT / 60.0


class Spinline:
    def __init__(self, take_up_speed, heat_factor, activation):
        self.take_up = take_up_speed * 100.0 / 60.0
        self.heat_factor = heat_factor
        self.activation = activation
        self.iv_power = IV ** 5.056
        rho = 1.36 - 0.0005 * MELT
        r = HOLE / 2.0
        shear = 4.0 * W / rho / (PI * r ** 3)
        swell = (0.575 * math.exp(-3650.0 * (1.0 / 548.0 - 1.0 / (MELT + 273.0)))
                 * shear ** 0.134 * (IV / 0.61) ** 0.85)
        d0 = swell * HOLE
        self.v0 = W / (rho * QUARTER_PI * d0 * d0)
        self.solves = 0

    def rates(self, x, y, zone, solid):
        v, f, t = y
        rho = 1.36 - 0.0005 * t
        cp = 0.3 + 0.0006 * t
        eta = 0.273 * self.iv_power * math.exp(self.activation / (t + 273.0))
        if solid:
            eta *= 100.0
        _, a1, a2, a3, va = ZONES[zone]
        ta = a1 / (x + a2) + a3
        area = W / (rho * v)
        d = math.sqrt(area / QUARTER_PI)
        h = self.heat_factor * (v / area) ** 0.259 * (1.0 + (8.0 * va / v) ** 2) ** 0.167
        dv = rho * v * f / (eta * W)
        df = 2.84e-4 * (W / rho) ** 0.195 * v ** 1.195 + (dv - 980.0 / v) * W
        dt = PI * d * h * (ta - t) / (W * cp)
        return [dv, df, dt]

    def integrate(self, f0, sample_x=()):
        """(V, F, T) at the end and at sample_x; None where the filament runs away."""
        y = [self.v0, f0, MELT]
        x = 0.0
        solid = False
        samples = {}
        sample_x = sorted(sample_x)
        for zone, (end, *_rest) in enumerate(ZONES):
            while x < end:
                freeze = lambda s, z: z[2] - 70.0
                freeze.terminal = True
                freeze.direction = -1
                runaway = lambda s, z: z[0] - 100.0 * self.take_up
                runaway.terminal = True
                inside = [s for s in sample_x if x <= s <= end]
                sol = solve_ivp(lambda s, z: self.rates(s, z, zone, solid), (x, end), y,
                                rtol=1e-8, atol=1e-10, dense_output=True,
                                events=None if solid else [freeze, runaway])
                stop = end
                if not solid and sol.status == 1:
                    if sol.t_events[1].size:
                        return None
                    stop = sol.t_events[0][0]
                for s in inside:
                    if s <= stop:
                        samples[s] = sol.sol(s)
                y = list(sol.sol(stop))
                if stop < end:
                    solid = True
                x = stop
        return y, samples

    def shoot(self, sample_x=()):
        self.solves += 1

        def residual(f0):
            out = self.integrate(f0)
            return 10.0 if out is None else math.log(out[0][0] / self.take_up)

        lo, hi = 25.0, 25.0
        r_lo = residual(lo)
        step = 2.5 if r_lo < 0 else -2.5
        hi = lo + step
        while (residual(hi) < 0) == (r_lo < 0):
            lo, hi = hi, hi + step
        f0 = brentq(residual, min(lo, hi), max(lo, hi), xtol=1e-12, rtol=1e-12)
        return self.integrate(f0, sample_x)


def measurements(take_up_speed, heat_factor, activation):
    line = Spinline(take_up_speed, heat_factor, activation)
    xs = [5.0 * k for k in range(1, 20)] + [10.0 * k for k in range(1, 10)] + [100.0]
    end, samples = line.shoot(xs)
    data = []
    for x in range(5, 100, 5):
        v, f, t = samples[float(x)]
        d = math.sqrt(W / ((1.36 - 0.0005 * t) * v) / QUARTER_PI) * 1e4
        data.append((float(x), "d", d, 0.2))
    for x in range(10, 100, 10):
        data.append((float(x), "t", samples[float(x)][2], 0.5))
    data.append((100.0, "f", end[1], 1.0))
    return data


def main():
    cases = {speed: measurements(speed, 1.6e-4, 6900.0) for speed in (4000.0, 5000.0)}
    solves = 0

    def residuals(theta):
        nonlocal solves
        heat, activation = math.exp(theta[0]), math.exp(theta[1])
        out = []
        for speed, data in cases.items():
            line = Spinline(speed, heat, activation)
            xs = [x for x, *_ in data]
            end, samples = line.shoot(xs)
            solves += 1
            for x, what, value, sigma in data:
                v, f, t = samples[x] if x in samples else end
                model = {"d": math.sqrt(W / ((1.36 - 0.0005 * t) * v) / QUARTER_PI) * 1e4,
                         "t": t, "f": f}[what]
                out.append((model - value) / sigma)
        return np.array(out)

    start = time.perf_counter()
    fit = least_squares(residuals, [math.log(1.37e-4), math.log(6802.0)], x_scale="jac")
    elapsed = time.perf_counter() - start
    print(f"heat_transfer.factor {math.exp(fit.x[0]):.8g}, viscosity.activation_K "
          f"{math.exp(fit.x[1]):.8g}")
    print(f"{fit.nfev} evaluations, {solves} model solves, {elapsed:.2f} s")


if __name__ == "__main__":
    main()
