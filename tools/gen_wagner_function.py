#!/usr/bin/env python3
"""Writes Wagner's indicial lift function, the data file
aero/tests/data/wagner_function.txt.

How to run (from the repository root; needs mpmath):

    python3 tools/gen_wagner_function.py           # write the file
    python3 tools/gen_wagner_function.py --check   # exit 1 when it differs
                                                   # from what it would write

Wagner's function phi(s), s = U t / b the distance travelled in half
chords, is the circulatory lift after a step change of the angle of
attack relative to its steady value: its Laplace transform is C(p)/p with
Theodorsen's function continued into the Laplace domain,
C(p) = K1(p)/(K0(p) + K1(p)) (mpmath's modified Bessel functions), as in
tools/gen_section_laplace_roots.py.  Method (independent of the program):
mpmath.invertlaplace by Talbot's contour, 25 significant digits.  The
checks: at s = 1 and 20 de Hoog's method gives the same value to 1e-15;
phi(0.001) is within 1e-3 of phi(0) = 1/2; and R. T. Jones's approximation
1 - 0.165 e^(-0.0455 s) - 0.335 e^(-0.3 s) lies within 1e-2 everywhere.

Each line of the data file: s, phi(s), 17 significant digits.
"""

import os
import sys

import mpmath
from generated_files import write_or_check
from mpmath import mp, mpf

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DATA = os.path.join(ROOT, "aero", "tests", "data", "wagner_function.txt")

mp.dps = 25
DISTANCES = ["0.001", "0.25", "0.5", "1", "2", "3", "5", "7.5", "10", "15", "20", "30", "40", "50"]


def transform(p):
    k0 = mpmath.besselk(0, p)
    k1 = mpmath.besselk(1, p)
    return k1 / (k0 + k1) / p


def wagner(s, method="talbot"):
    return mpmath.invertlaplace(transform, mpf(s), method=method)


def jones(s):
    return 1 - mpf("0.165") * mpmath.exp(-mpf("0.0455") * s) - mpf("0.335") * mpmath.exp(-mpf("0.3") * s)


def text():
    values = {s: wagner(s) for s in DISTANCES}
    for s in ("1", "20"):
        if abs(values[s] - wagner(s, "dehoog")) > mpf("1e-15"):
            sys.exit("check failed: Talbot's and de Hoog's inversions differ at s = " + s)
    if abs(values["0.001"] - mpf(1) / 2) > mpf("1e-3"):
        sys.exit("check failed: phi(0.001) is not near 1/2")
    for s, v in values.items():
        if abs(v - jones(mpf(s))) > mpf("1e-2"):
            sys.exit("check failed: Jones's approximation is not within 1e-2 at s = " + s)
    lines = ["# Wagner's function phi(s), s = U t / b (tools/gen_wagner_function.py)", "# s phi"]
    for s in DISTANCES:
        lines.append(mpmath.nstr(mpf(s), 17) + " " + mpmath.nstr(values[s], 17))
    return "\n".join(lines) + "\n"


def main():
    return write_or_check(__doc__.split("\n")[0], lambda: {DATA: text()}, ROOT)


if __name__ == "__main__":
    sys.exit(main())
