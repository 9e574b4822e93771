#!/usr/bin/env python3
"""Writes the exact Laplace-domain roots of the classical typical section:
the data file driver/tests/data/section_laplace_roots.txt.

How to run (from the repository root; needs mpmath):

    python3 tools/gen_section_laplace_roots.py           # write the file
    python3 tools/gen_section_laplace_roots.py --check   # exit 1 when it
                                                         # differs from what
                                                         # it would write

The section and its equations are those of tools/gen_section_benchmarks.py
(plunge h positive down, pitch theta nose up about the axis a half chords
aft of mid-chord, Theodorsen's lift and moment), here in the Laplace domain:
with lambda = s/omega_theta, V = U/(b omega_theta), xi = h/b and the reduced
Laplace variable p = s b/U = lambda/V, the rows divided by m b omega_theta^2
and m b^2 omega_theta^2 are

  plunge  (lambda^2 + sigma^2) xi + x_theta lambda^2 theta
          + (1/mu) [lambda^2 xi + V lambda theta - a lambda^2 theta
                    + 2 V C(p) (lambda xi + V theta + (1/2 - a) lambda theta)] = 0
  pitch   x_theta lambda^2 xi + r2 (lambda^2 + 1) theta
          - (1/mu) [a lambda^2 xi - V (1/2 - a) lambda theta - (1/8 + a^2) lambda^2 theta
                    + 2 V (a + 1/2) C(p) (lambda xi + V theta + (1/2 - a) lambda theta)] = 0

with Theodorsen's function continued into the Laplace domain,
C(p) = K1(p)/(K0(p) + K1(p)) (mpmath's modified Bessel functions; on
p = ik it is H1(k)/(H1(k) + i H0(k))).  Method (independent of the
program): the determinant's two roots with positive imaginary part are
followed by mpmath.findroot from the structural roots at V = 0.05 up in
steps of 0.1, 30 significant digits.  The check: at V = 0.05 they are
within 1/mu (relative) of the roots without air (the added mass stays as
V goes to 0), and at the flutter speed of
tools/gen_section_benchmarks.py (V = 2.1839149592743582) one of them lies
on the imaginary axis with omega/omega_theta = 0.64898353680564927.

Each line of the data file: V, then the two roots (re im) in the order of
their imaginary parts, ascending, 17 significant digits.
"""

import os
import sys

import mpmath
from generated_files import write_or_check
from mpmath import mp, mpc, mpf

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DATA = os.path.join(ROOT, "driver", "tests", "data", "section_laplace_roots.txt")

mp.dps = 30
HALF = mpf(1) / 2
A, X, R2, MU, SIGMA = mpf("-0.2"), mpf("0.1"), mpf("0.24"), mpf(20), mpf("0.4")
SPEEDS = ["0.5", "1.5", "2"]
FLUTTER_V = mpf("2.1839149592743582")
FLUTTER_OMEGA = mpf("0.64898353680564927")


def theodorsen(p):
    k0 = mpmath.besselk(0, p)
    k1 = mpmath.besselk(1, p)
    return k1 / (k0 + k1)


def determinant(lam, V):
    c = theodorsen(lam / V)
    w = 2 * V * c
    circ_xi, circ_t = lam, V + (HALF - A) * lam  # the bracket (lambda xi + V theta + (1/2 - a) lambda theta)
    p11 = lam**2 + SIGMA**2 + (lam**2 + w * circ_xi) / MU
    p12 = X * lam**2 + (V * lam - A * lam**2 + w * circ_t) / MU
    p21 = X * lam**2 - (A * lam**2 + (A + HALF) * w * circ_xi) / MU
    p22 = R2 * (lam**2 + 1) - (-V * (HALF - A) * lam - (mpf(1) / 8 + A**2) * lam**2 + (A + HALF) * w * circ_t) / MU
    return p11 * p22 - p12 * p21


def structural_roots():
    # det(K - w^2 M) = 0 in units of omega_theta: (sigma^2 - w2)(r2 - r2 w2) - (x w2)^2 = 0
    qa = R2 - X**2
    qb = -(SIGMA**2 * R2 + R2)
    qc = SIGMA**2 * R2
    d = mpmath.sqrt(qb**2 - 4 * qa * qc)
    return sorted([mpc(0, mpmath.sqrt((-qb - d) / (2 * qa))), mpc(0, mpmath.sqrt((-qb + d) / (2 * qa)))],
                  key=lambda z: z.imag)


def follow(targets):
    roots = structural_roots()
    start = mpf("0.05")
    current = [mpmath.findroot(lambda z: determinant(z, start), r) for r in roots]
    for r0, r in zip(roots, current):
        if abs(r - r0) > abs(r0) / MU:
            sys.exit("check failed: the roots at V = 0.05 are not near the structural ones")
    found = {}
    V = start
    step = mpf("0.1")
    wanted = sorted(mpf(t) for t in targets)
    while wanted:
        nxt = min(V + step, wanted[0])
        current = [mpmath.findroot(lambda z: determinant(z, nxt), r) for r in current]
        V = nxt
        if V == wanted[0]:
            found[wanted.pop(0)] = list(current)
    return found


def flutter_check():
    found = follow([FLUTTER_V])[FLUTTER_V]
    onset = min(found, key=lambda z: abs(z.real))
    if abs(onset.real) > mpf("1e-12") or abs(onset.imag - FLUTTER_OMEGA) > mpf("1e-12"):
        sys.exit("check failed: no root on the imaginary axis at the benchmark's flutter speed: %s" % onset)


def text():
    flutter_check()
    found = follow(SPEEDS)
    lines = ["# Exact Laplace-domain roots lambda = s/omega_theta of the classical section "
             "(tools/gen_section_laplace_roots.py)",
             "# a = -0.2, x_theta = 0.1, r2 = 0.24, mu = 20, sigma = 0.4; V = U/(b omega_theta)",
             "# V re1 im1 re2 im2"]
    for V in sorted(found):
        r = sorted(found[V], key=lambda z: z.imag)
        lines.append(" ".join([mpmath.nstr(V, 17)] + [mpmath.nstr(x, 17) for z in r for x in (z.real, z.imag)]))
    return "\n".join(lines) + "\n"


def main():
    return write_or_check(__doc__.split("\n")[0], lambda: {DATA: text()}, ROOT)


if __name__ == "__main__":
    sys.exit(main())
