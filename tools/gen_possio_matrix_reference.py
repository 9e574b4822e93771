#!/usr/bin/env python3
"""Writes aero/tests/data/possio_matrix_reference.txt, the plunge-pitch loads
of the Possio collocation solver computed independently with mpmath, which
aero/tests/possio_loads_test.cpp and tools/possio_accuracy_table.cpp read.

How to run (from the repository root; needs mpmath; gmpy2 makes it nearly
twice as fast):

    /usr/bin/python3 tools/gen_possio_matrix_reference.py

On Debian `apt-get install python3-mpmath python3-gmpy2` for /usr/bin/python3,
or `pip install mpmath` for another interpreter.  It prints its progress to
stderr and takes about 5 minutes on a 2-core machine: 15 to 25 s a point,
a minute for the point whose near-field integrals it checks.

What it computes.  The same collocation equations as
PossioSolver::assemble (aero/possio_loads.cpp), written out again at 30
significant digits: 21 pressure modes, collocation points
x_i = cos((2i - 1) pi/43), source points xi_j = cos(2j pi/171),
j = 1..85, the analytic singular parts, the trapezoidal sums in theta of
the regular kernel K_reg = (i k/(8 beta)) K1 at the 1785 distances
X = x_i - xi_j, with K1 as in aero/possio_kernel.hpp:
    K1(X) = e^{i omega3 X} (i M^2 H0(z) + M s H1(z)) - e^{-i k X} r
            - 2i beta^2/(pi k X) - (2/pi) ln|X|,
    r = i k M (C0 + I(X)) - (2 beta^2/pi) [E1(2i omega1) - E1(-i omega1 X)
                                           + i (pi/2)(1 + s)],
z = omega2 |X|, s = sgn X, H0 and H1 the Hankel functions of the second
kind (mpmath.hankel2) and E1 by mpmath.e1.  The loads are those of
PossioSolver::plunge_pitch_loads(xr), column-major [q11, q21, q12, q22]:
q11 = -L and q21 = P in plunge (downwash i k), q12 = L and q22 = -P in
pitch about xr (downwash -1 - i k (x - xr)), L = (pi/2) a_1 and
P = (pi/4) ((xr + 1/2) a_1 - a_2/2) from the mode amplitudes a_n, which
mpmath.lu_solve gives.

  * I(X) = integral from -2 to X of
        f(u) = sgn(u) [H1(omega2 |u|) - 2i/(pi omega2 |u|)] e^{i omega1 u},
    at all 1785 distances at once, cumulatively: the distances are sorted
    and f is integrated from -2 to the first, between consecutive ones and
    on to the last, with u = 0 as a breakpoint (f has a u ln|u| term
    there).  Each piece that does not touch 0 is cut geometrically so that
    no part is longer than its distance from 0 (f is then analytic in a
    Bernstein ellipse of rho >= 3 + sqrt 8 about it) nor longer than 1/32,
    and takes the 12-point Gauss-Legendre rule.  The two pieces that end
    at 0 take mpmath.quad (tanh-sinh, which copes with the logarithm at
    the end point), with f = 0 for |u| < 1e-25 (what that drops is below
    1e-48).  At 30 digits the subtraction leaves f an absolute error of
    about 1e-30 * 2/(pi omega2 |u|), which integrates to below 1e-25 over
    those pieces (omega2 >= 1e-3 at these points).  At the point of the
    largest omega1 + omega2 the integrals are computed again with the
    24-point rule and the script stops unless the two agree to 1e-20
    (measured 5e-26).
  * C0, the far-field constant of PossioFarField::exact (the default of
    assemble), and C0cut, that of the reference assembly (the far field cut
    at -5000, H1 by its leading term beyond): c0_pair of
    tools/gen_possio_fast_reference.py, mpmath.quad down the line
    t = t0 - i s.

Nothing of the solver's own evaluation is shared: Hankel functions, E1,
the quadrature rules and the path of C0 are mpmath's, and the system is
solved by LU decomposition instead of Gauss-Jordan elimination.

K1 is affine in C0, so both matrices come from one set of kernel values.
Each point (M, k) gives four lines, for xr = -0.3 and 0.2: "exact M k xr"
with the loads of C0 (what every solve of a run computes) and "cut M k xr"
with those of C0cut (what the reference assembly would give if its
quadratures and its E1 series were exact), each followed by the real and
imaginary parts of q11, q21, q12, q22 with 17 significant digits.
"""

import os
import sys
import time

import mpmath
from mpmath import mp, mpf, mpc
from mpmath.calculus.quadrature import GaussLegendre

from gen_possio_fast_reference import c0_pair, fmt, frequencies

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "aero", "tests", "data", "possio_matrix_reference.txt")

MODES = 21
NODES = 85
# (M, k): an easy point, then the corners of the domain where the
# reference assembly is least accurate: small k, k >= 3, M = 0.9 and 0.95
# (2k/(1 - M^2) <= 25, so k <= 2.37 at M = 0.9 and k <= 1.22 at M = 0.95).
POINTS = [
    (0.5, 0.5),
    (0.5, 0.01),
    (0.1001, 0.01),
    (0.1001, 3.0),
    (0.3, 5.0),
    (0.5, 5.0),
    (0.9, 0.05),
    (0.9, 1.0),
    (0.9, 2.3),
    (0.95, 0.02),
    (0.95, 0.6),
    (0.95, 1.2),
]
# Pitch axes (half chords); the matrix does not depend on them.
AXES = [-0.3, 0.2]
GAUSS_DEGREE = 3  # mpmath's degree 3: 12 nodes
CHECK_DEGREE = 4  # 24 nodes
CHECK_TOLERANCE = mpf("1e-20")
LONGEST_PIECE = mpf(1) / 32
INTEGRAND_ZERO = mpf("1e-25")


def log(text):
    print(text, file=sys.stderr, flush=True)


def geometry():
    """Collocation points, their angles, source points, and the weights
    X_j S(n, j) of the trapezoidal sums, as fill_tables."""
    pi = mpmath.pi
    theta = [(2 * i - 1) * pi / (2 * MODES + 1) for i in range(1, MODES + 1)]
    x = [mpmath.cos(t) for t in theta]
    node_theta = [2 * j * pi / (2 * NODES + 1) for j in range(1, NODES + 1)]
    xi = [mpmath.cos(t) for t in node_theta]
    weight = [[(1 - mpmath.cos(t)) * mpmath.sin((2 * n - 1) * t / 2) / mpmath.sin(t / 2) for t in node_theta]
              for n in range(1, MODES + 1)]
    return theta, x, xi, weight


def pieces(a, b):
    """[a, b], 0 < a < b or a < b < 0, cut so that no part is longer than
    its distance from 0 or than LONGEST_PIECE."""
    if a < 0:
        return [(-hi, -lo) for lo, hi in reversed(pieces(-b, -a))]
    out = []
    while a < b:
        end = min(a + min(a, LONGEST_PIECE), b)
        out.append((a, end))
        a = end
    return out


def near_field_integrals(w1, w2, targets, degree):
    """I(X) at every X of `targets` (none 0), by one cumulative integral."""
    pi = mpmath.pi

    def f(u):
        if abs(u) < INTEGRAND_ZERO:
            return mpc(0)
        z = w2 * abs(u)
        v = (mpmath.hankel2(1, z) - 2j / (pi * z)) * mpmath.expj(w1 * u)
        return v if u > 0 else -v

    rule = GaussLegendre(mp).get_nodes(-1, 1, degree, mp.prec)

    def gauss(a, b):
        half = (b - a) / 2
        mid = (a + b) / 2
        return half * mpmath.fsum(w * f(mid + half * t) for t, w in rule)

    breaks = sorted(set(targets) | {mpf(0)})
    values = {}
    total = mpc(0)
    start = mpf(-2)
    for end in breaks:
        if start == 0 or end == 0:
            total += mpmath.quad(f, [start, end])
        else:
            total += mpmath.fsum(gauss(a, b) for a, b in pieces(start, end))
        if end != 0:
            values[end] = total
        start = end
    return values


def kernel_parts(m, k, x, xi, check):
    """K1 at every distance split as K1 = base + slope * C0, row-major
    [i][j]."""
    m = mpf(m)
    k = mpf(k)
    pi = mpmath.pi
    w1, w2 = frequencies(m, k)
    beta2 = 1 - m * m
    w3 = k * m * m / beta2
    distances = [[xa - xb for xb in xi] for xa in x]
    flat = [d for row in distances for d in row]
    near = near_field_integrals(w1, w2, flat, GAUSS_DEGREE)
    if check:
        again = near_field_integrals(w1, w2, flat, CHECK_DEGREE)
        worst = max(abs(near[d] - again[d]) for d in flat)
        log("  12- against 24-point rule: largest difference of I %s" % mpmath.nstr(worst, 3))
        assert worst < CHECK_TOLERANCE, worst
    e1_far = mpmath.e1(mpc(0, 2 * w1))
    base = []
    slope = []
    for row in distances:
        base_row = []
        slope_row = []
        for d in row:
            s = 1 if d > 0 else -1
            z = w2 * abs(d)
            bracket = e1_far - mpmath.e1(mpc(0, -w1 * d)) + 1j * (pi / 2) * (1 + s)
            r0 = 1j * k * m * near[d] - (2 * beta2 / pi) * bracket
            rotk = mpmath.expj(-k * d)
            kt = mpmath.expj(w3 * d) * (1j * m * m * mpmath.hankel2(0, z) + m * s * mpmath.hankel2(1, z)) - rotk * r0
            base_row.append(kt - 1j * (2 * beta2 / (pi * k * d)) - (2 / pi) * mpmath.log(abs(d)))
            slope_row.append(-rotk * 1j * k * m)
        base.append(base_row)
        slope.append(slope_row)
    return base, slope


def collocation_matrix(m, k, k1, theta, weight):
    """A(i, n) as build_matrix, from K1 at the distances."""
    m = mpf(m)
    k = mpf(k)
    pi = mpmath.pi
    beta = mpmath.sqrt(1 - m * m)
    b = -beta / 4
    lam = 1j * k / (8 * beta)
    h = 2 * pi / (2 * NODES + 1)
    first_mode_log = 1 - 2 * mpmath.log(2)
    a = mpmath.matrix(MODES, MODES)
    for i in range(MODES):
        phi = theta[i] / 2

        def g(q):
            return mpmath.cos(q * phi) / mpmath.cos(phi)

        for n in range(1, MODES + 1):
            u = g(2 * n - 1)
            w = g(2 * n + 1)
            if n == 1:
                big_t = w + first_mode_log
            else:
                v = g(2 * n - 3)
                big_t = (w + u) / n - (u + v) / (n - 1)
            trapezoid = mpmath.fsum(lam * k1[i][j] * weight[n - 1][j] for j in range(NODES))
            a[i, n - 1] = b * u + lam * big_t + h * trapezoid
    return a


def plunge_pitch_loads(a, k, xr, x):
    """[q11, q21, q12, q22] as PossioSolver::plunge_pitch_loads."""
    k = mpf(k)
    xr = mpf(xr)
    pi = mpmath.pi
    out = []
    for dof in (1, 2):
        if dof == 1:
            w = mpmath.matrix([1j * k for _ in x])
        else:
            w = mpmath.matrix([-1 - 1j * k * (xp - xr) for xp in x])
        amp = mpmath.lu_solve(a, w)
        lift = (pi / 2) * amp[0]
        moment = (pi / 4) * ((xr + mpf(1) / 2) * amp[0] - amp[1] / 2)
        out += [-lift, moment] if dof == 1 else [lift, -moment]
    return out


def main():
    mp.dps = 30
    theta, x, xi, weight = geometry()
    hardest = max(POINTS, key=lambda p: sum(frequencies(p[0], p[1])))
    lines = ["# Generated by tools/gen_possio_matrix_reference.py; do not edit.",
             "# exact M k xr  then re im of q11 q21 q12 q22 (far-field constant C0 itself)",
             "# cut M k xr    the same with C0 of the far field cut at -5000"]
    started = time.time()
    for m, k in POINTS:
        t0 = time.time()
        log("M = %g, k = %g" % (m, k))
        c0, c0cut = c0_pair(m, k)
        base, slope = kernel_parts(m, k, x, xi, (m, k) == hardest)
        for tag, c in (("exact", c0), ("cut", c0cut)):
            k1 = [[base[i][j] + slope[i][j] * c for j in range(NODES)] for i in range(MODES)]
            a = collocation_matrix(m, k, k1, theta, weight)
            for xr in AXES:
                q = plunge_pitch_loads(a, k, xr, x)
                lines.append("%s %r %r %r %s" % (tag, m, k, xr, " ".join(fmt(v) for v in q)))
        log("  done in %.0f s" % (time.time() - t0))
    with open(OUT, "w") as out:
        out.write("\n".join(lines) + "\n")
    log("all points in %.0f s" % (time.time() - started))


if __name__ == "__main__":
    main()
