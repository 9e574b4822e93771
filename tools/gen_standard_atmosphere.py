#!/usr/bin/env python3
"""Writes the reference table of the standard atmosphere (ISO 2533, the
ICAO standard atmosphere), the data file aero/tests/data/standard_atmosphere.txt.

How to run (from the repository root; needs mpmath):

    python3 tools/gen_standard_atmosphere.py           # write the file
    python3 tools/gen_standard_atmosphere.py --check   # exit 1 when it differs
                                                       # from what it would write

Method (independent of the program): the standard's defining constants
(T0 = 288.15 K, p0 = 101325 Pa, R = 287.05287 J/(kg K), g0 = 9.80665 m/s^2,
a lapse rate of 6.5 K/km up to the tropopause at 11 000 m geopotential
altitude, isothermal above it to 20 000 m, kappa = 1.4) and the hydrostatic
equation integrated in closed form with mpmath at 40 digits: in the
troposphere p = p0 (T/T0)^(g0/(R L)), above it p = p11 exp(-g0 (H - 11000)/(R T11));
rho = p/(R T), a = sqrt(kappa R T).  The check of the method: the table of
the standard prints rho = 1.22500 kg/m^3 and a = 340.294 m/s at sea level,
T = 216.650 K and rho = 0.363918 kg/m^3 at 11 000 m, and this generator's
values round to them.  (Its pressures above the tropopause can differ from
the printed table in the sixth digit, 5474.88 against 5474.89 Pa at
20 km: the table carries the tropopause pressure rounded to 22632.1 Pa,
this generator the exact 22632.04.)

Each line of the data file: the geopotential altitude H [m], then T [K],
p [Pa], rho [kg/m^3] and a [m/s] to 17 significant digits, then the same
four to the digits the standard's table prints (T and a to 0.001, p and
rho to 6 significant digits).
"""

import os
import sys

from generated_files import write_or_check
from mpmath import mp, mpf

mp.dps = 40
T0, P0, R, G0, L = mpf("288.15"), mpf("101325"), mpf("287.05287"), mpf("9.80665"), mpf("0.0065")
H11, KAPPA = mpf("11000"), mpf("1.4")


def state(h):
    h = mpf(h)
    if h <= H11:
        t = T0 - L * h
        p = P0 * (t / T0) ** (G0 / (R * L))
    else:
        t11 = T0 - L * H11
        p11 = P0 * (t11 / T0) ** (G0 / (R * L))
        t = t11
        p = p11 * mp.exp(-G0 * (h - H11) / (R * t11))
    return t, p, p / (R * t), mp.sqrt(KAPPA * R * t)


def significant(x, digits):
    return mp.nstr(x, digits, strip_zeros=False, min_fixed=-10, max_fixed=10)


def make_outputs():
    _, _, rho0, a0 = state(0)
    t11, _, rho11, _ = state(11000)
    assert mp.nstr(rho0, 6) == "1.225" and mp.nstr(a0, 6) == "340.294"
    assert mp.nstr(t11, 6) == "216.65" and mp.nstr(rho11, 6) == "0.363918"
    lines = ["# H [m], T [K], p [Pa], rho [kg/m^3], a [m/s] to 17 digits, then the four rounded to the digits of the standard's table",
             "# written by tools/gen_standard_atmosphere.py"]
    for h in list(range(0, 20001, 1000)) + [5500, 10999, 11001]:
        t, p, rho, a = state(h)
        full = " ".join(mp.nstr(v, 17, min_fixed=-10, max_fixed=10) for v in (t, p, rho, a))
        printed = " ".join([f"{float(t):.3f}", significant(p, 6), significant(rho, 6), f"{float(a):.3f}"])
        lines.append(f"{h} {full} {printed}")
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    return {os.path.join(root, "aero", "tests", "data", "standard_atmosphere.txt"): "\n".join(lines) + "\n"}


if __name__ == "__main__":
    sys.exit(write_or_check("The standard atmosphere's reference table.", make_outputs,
                            os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
