#!/usr/bin/env python3
"""Writes driver/tests/data/lco_harmonic_balance.txt: the harmonic-balance
(describing-function) limit cycles of a typical section with a nonlinear
pitch spring on Theodorsen's exact aerodynamics, which the program's
harmonic balance is compared with.

How to run (from the repository root; needs mpmath):

    python3 tools/gen_lco_harmonic_balance.py           # write the file
    python3 tools/gen_lco_harmonic_balance.py --check   # exit 1 when it differs

Use whichever python3 has mpmath (on Debian `apt-get install
python3-mpmath`, or `pip install mpmath`).

The section: mu = 100, a = -1/2, x_theta = 1/4, r2 = 1/4, sigma = 0.2 (the
literature's section for limit cycles of a pitch spring), in the
nondimensional form of tools/gen_section_benchmarks.py, whose equations,
Theodorsen function and k-method scan this script imports.

Method (independent of the program).  One harmonic theta = A cos(omega t)
through a spring whose force is K f(theta) gives the fundamental
K N(A) A cos(omega t), the describing function

  cubic, f = theta + c theta^3:     N(A) = 1 + (3/4) c A^2
  freeplay of half-width delta:     N(A) = 1 - (2/pi) (asin(d) + d sqrt(1 - d^2)),
                                    d = delta/A <= 1 (N = 0 for A <= delta)

so that a limit cycle of amplitude A at speed V is a flutter point of the
linear section with the pitch stiffness K N(A): the k method with the
pitch row's stiffness term r2 lambda scaled by N, lambda =
(omega_theta/omega)^2 with the nominal omega_theta, so that V =
U/(b omega_theta) stays in the nominal unit.  The flutter speed V_f(N) is
found by the scan and findroot of gen_section_benchmarks.flutter_point at
40 digits, and the amplitude at a given speed by findroot on V_f(N(A)) = V.

Lines (17 significant digits): `linear V_f`; `cubic c A V_f(A)/V_f` for
c = 3 and several A; `cubic_at c V/V_f A` (the amplitude at a speed);
`freeplay A/delta V_f/V_f` for several A/delta.  The script asserts the
published linear flutter speed 6.25662 to its digits and the published
harmonic-balance amplitudes 0.199, 0.412, 0.692 rad at 1.05, 1.2, 1.5 V_f
(cubic_theta = 3) to one unit of their last digit (the last is 0.69252
here).  The freeplay speeds come out at 0.563, 0.726, 0.843 and 0.924 V_f
for A/delta = 2, 3, 5, 10, the literature's "about 0.56, 0.73, 0.84,
0.92".
"""

import argparse
import os
import sys

import mpmath
from mpmath import mp, mpf, pi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_section_benchmarks as sections  # noqa: E402  (the equations and the scan)

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DATA = os.path.join(ROOT, "driver", "tests", "data", "lco_harmonic_balance.txt")

mp.dps = 40

# name, a, x_theta, r2, mu, sigma
SECTION = ("lco", mpf("-0.5"), mpf("0.25"), mpf("0.25"), mpf(100), mpf("0.2"))
CUBIC = mpf(3)
CUBIC_AMPLITUDES = ["0.05", "0.1", "0.2", "0.3", "0.4", "0.6", "0.8"]
CUBIC_SPEEDS = ["1.05", "1.2", "1.5"]
FREEPLAY_RATIOS = ["1.5", "2", "3", "5", "10", "30"]
PUBLISHED_V = "6.25662"
PUBLISHED_CUBIC = {"1.05": "0.199", "1.2": "0.412", "1.5": "0.692"}


def scaled_lambdas(factor):
    """The two roots lambda at k with the pitch stiffness times `factor`."""
    return lambda section, k: sections.lambdas(section, k, factor)


def flutter_speed(factor):
    k, lam = sections.flutter_point(SECTION, scaled_lambdas(factor))
    return (1 / mpmath.sqrt(lam.real)) / k


def cubic_factor(amplitude):
    return 1 + mpf(3) / 4 * CUBIC * amplitude**2


def freeplay_factor(ratio):
    d = 1 / ratio
    return 1 - 2 / pi * (mpmath.asin(d) + d * mpmath.sqrt(1 - d**2))


def number(value):
    return mpmath.nstr(value, 17, min_fixed=-mpmath.inf, max_fixed=mpmath.inf)


def contents():
    v_f = flutter_speed(mpf(1))
    assert mpmath.nstr(v_f, 6) == PUBLISHED_V, v_f
    lines = ["# harmonic balance of tools/gen_lco_harmonic_balance.py: mu 100, a -1/2, x_theta 1/4, r2 1/4,"
             " sigma 0.2, Theodorsen",
             "linear " + number(v_f)]
    for text in CUBIC_AMPLITUDES:
        amplitude = mpf(text)
        lines.append("cubic %s %s %s" % (number(CUBIC), text, number(flutter_speed(cubic_factor(amplitude)) / v_f)))
    for text in CUBIC_SPEEDS:
        target = mpf(text) * v_f
        amplitude = mpmath.findroot(lambda a: flutter_speed(cubic_factor(a)) - target, mpf(PUBLISHED_CUBIC[text]))
        # Within one unit of the published last digit: 0.69252 at 1.5 V_f
        # is published as 0.692.
        assert abs(amplitude - mpf(PUBLISHED_CUBIC[text])) < mpf("1e-3"), (text, amplitude)
        lines.append("cubic_at %s %s %s" % (number(CUBIC), text, number(amplitude)))
    for text in FREEPLAY_RATIOS:
        lines.append("freeplay %s %s" % (text, number(flutter_speed(freeplay_factor(mpf(text))) / v_f)))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true", help="write nothing; exit 1 when the file differs")
    args = parser.parse_args()
    text = contents()
    if args.check:
        try:
            with open(DATA, encoding="utf-8") as f:
                same = f.read() == text
        except FileNotFoundError:
            same = False
        if not same:
            print("differs from what tools/gen_lco_harmonic_balance.py writes:", os.path.relpath(DATA, ROOT))
        return 0 if same else 1
    with open(DATA, "w", encoding="utf-8") as f:
        f.write(text)
    print(text, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main())
