#!/usr/bin/env python3
"""Writes driver/tests/data/typical_section_flutter.txt: the exact flutter
point of two typical sections (plunge and pitch, centre of mass on the
pitch axis, incompressible flow), which the flutter-solution tests compare
with the program's p-k critical point and matched point.

How to run (from the repository root; needs mpmath):

    python3 tools/gen_typical_section_flutter.py

Use whichever python3 has mpmath (on Debian `apt-get install
python3-mpmath`, or `pip install mpmath`).

Method (independent of the program).  Theodorsen's lift L (up) and moment
M (nose up, about the elastic axis at a semichords aft of mid-chord) of a
plate of half chord b in harmonic plunge h (down) and pitch alpha at
frequency omega and speed U, k = omega b / U, C(k) = H1(k)/(H1(k) + i H0(k))
with Hankel functions of the second kind:

  L = pi rho b^2 (h'' + U alpha' - b a alpha'')
      + 2 pi rho U b C(k) (h' + U alpha + b (1/2 - a) alpha')
  M = pi rho b^2 (b a h'' - U b (1/2 - a) alpha' - b^2 (1/8 + a^2) alpha'')
      + 2 pi rho U b^2 (a + 1/2) C(k) (h' + U alpha + b (1/2 - a) alpha')

with the equations of motion per unit span (x_theta = 0, so no static
imbalance): m h'' + k_h h = -L, I_a alpha'' + k_a alpha = M.  With
U = omega b / k every term is omega^2 times a function of k, so the
flutter determinant is det(K - omega^2 B(k)) = 0, a quadratic in
lambda = omega^2 (the k method).  The flutter point is the k at which one
root lambda is real and positive (g = 0): found by a scan of k and
mpmath.findroot on Im(lambda)/Re(lambda), 40 significant digits.  Then
omega = sqrt(lambda), U = omega b/k, q = rho U^2/2, f = omega/2pi.  As a
check the script evaluates the determinant of the complex equations of
motion written directly with L and M above at (omega, U): it must vanish.

Each line: name b a mu r2 f_h f_a rho span q f k U (the section's half
chord b [m], axis position a, mass ratio mu = m/(pi rho b^2), r2 = r_alpha^2,
uncoupled frequencies f_h, f_a [Hz], rho [kg/m^3], span [m], and the
flutter point q [N/m^2], f [Hz], k, U [m/s]), 17 significant digits.
"""

import os

import mpmath
from mpmath import mp, mpf, mpc, pi

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUTPUT = os.path.join(ROOT, "driver", "tests", "data", "typical_section_flutter.txt")

mp.dps = 40

# name, b, a, mu, r_alpha^2, f_h, f_alpha, rho, span
SECTIONS = [
    ("section_a", mpf("0.25"), mpf("-0.4"), mpf(20), mpf("0.25"), mpf(4), mpf(8), mpf("1.2"), mpf(1)),
    ("section_b", mpf("0.25"), mpf("-0.2"), mpf(40), mpf("0.3"), mpf(3), mpf(6), mpf("1.2"), mpf("1.5")),
]


def theodorsen(k):
    h0 = mpmath.hankel2(0, k)
    h1 = mpmath.hankel2(1, k)
    return h1 / (h1 + 1j * h0)


def matrices(b, a, mu, r2, fh, fa, rho, k):
    m = mu * pi * rho * b**2
    ia = m * r2 * b**2
    kh = m * (2 * pi * fh) ** 2
    ka = ia * (2 * pi * fa) ** 2
    c = theodorsen(k)
    i = mpc(0, 1)
    # Aerodynamic terms per omega^2 (U = omega b / k); z = [h, alpha].
    # L = omega^2 (lh h + la alpha), M = omega^2 (mh h + ma alpha).
    lh = pi * rho * b**2 * (-1) + 2 * pi * rho * b * (b / k) * c * i
    la = pi * rho * b**2 * (i * b / k + b * a) + 2 * pi * rho * b * (b / k) * c * (b / k + b * (mpf(1) / 2 - a) * i)
    mh = pi * rho * b**2 * (-b * a) + 2 * pi * rho * b**2 * (a + mpf(1) / 2) * (b / k) * c * i
    ma = pi * rho * b**2 * (-(b / k) * b * (mpf(1) / 2 - a) * i + b**2 * (mpf(1) / 8 + a**2)) + 2 * pi * rho * b**2 * (
        a + mpf(1) / 2
    ) * (b / k) * c * (b / k + b * (mpf(1) / 2 - a) * i)
    # Rows: -omega^2 m h + kh h + L = 0;  -omega^2 ia alpha + ka alpha - M = 0.
    K = [[kh, 0], [0, ka]]
    B = [[m - lh, -la], [mh, ia + ma]]
    return K, B, (m, ia, kh, ka)


def lambdas(section, k):
    _, b, a, mu, r2, fh, fa, rho, _ = section
    K, B, _ = matrices(b, a, mu, r2, fh, fa, rho, k)
    # det(K - lam B) = detB lam^2 - (K11 B22 + K22 B11 - K12 B21 - K21 B12) lam + detK
    det_b = B[0][0] * B[1][1] - B[0][1] * B[1][0]
    mid = K[0][0] * B[1][1] + K[1][1] * B[0][0] - K[0][1] * B[1][0] - K[1][0] * B[0][1]
    det_k = K[0][0] * K[1][1] - K[0][1] * K[1][0]
    disc = mpmath.sqrt(mid**2 - 4 * det_b * det_k)
    return [(mid + disc) / (2 * det_b), (mid - disc) / (2 * det_b)]


def direct_determinant(section, omega, u):
    """The determinant of the equations of motion written directly with
    Theodorsen's L and M at (omega, U), relative to its terms."""
    _, b, a, mu, r2, fh, fa, rho, _ = section
    m = mu * pi * rho * b**2
    ia = m * r2 * b**2
    kh = m * (2 * pi * fh) ** 2
    ka = ia * (2 * pi * fa) ** 2
    k = omega * b / u
    c = theodorsen(k)
    i = mpc(0, 1)
    s = i * omega  # d/dt
    def lift(h, al):
        return pi * rho * b**2 * (s**2 * h + u * s * al - b * a * s**2 * al) + 2 * pi * rho * u * b * c * (
            s * h + u * al + b * (mpf(1) / 2 - a) * s * al)
    def moment(h, al):
        return pi * rho * b**2 * (b * a * s**2 * h - u * b * (mpf(1) / 2 - a) * s * al - b**2 * (mpf(1) / 8 + a**2) * s**2 * al) + 2 * pi * rho * u * b**2 * (a + mpf(1) / 2) * c * (s * h + u * al + b * (mpf(1) / 2 - a) * s * al)
    z11 = s**2 * m + kh + lift(1, 0)
    z12 = lift(0, 1)
    z21 = -moment(1, 0)
    z22 = s**2 * ia + ka - moment(0, 1)
    return abs(z11 * z22 - z12 * z21) / (abs(z11 * z22) + abs(z12 * z21))


def flutter_point(section):
    # Scan k downwards; a root whose Im/Re changes sign is the flutter branch.
    ks = [mpf(2) * mpf("0.97") ** j for j in range(200)]
    prev = None
    for k in ks:
        lam = lambdas(section, k)
        ratio = [l.imag / l.real for l in lam]
        if prev is not None:
            for j in range(2):
                if (ratio[j] > 0) != (prev[1][j] > 0) and lam[j].real > 0:
                    def g(kk, j=j):
                        l = lambdas(section, kk)
                        # the root closest to the branch's value at the scan
                        best = min(l, key=lambda x: abs(x - lam[j]))
                        return best.imag / best.real
                    k_f = mpmath.findroot(g, (prev[0], k), solver="anderson")
                    l = min(lambdas(section, k_f), key=lambda x: abs(x - lam[j]))
                    return k_f, l
        prev = (k, ratio)
    raise RuntimeError("no flutter point in the scan")


def main():
    lines = []
    for section in SECTIONS:
        name, b, a, mu, r2, fh, fa, rho, span = section
        k, lam = flutter_point(section)
        omega = mpmath.sqrt(lam.real)
        u = omega * b / k
        q = rho * u**2 / 2
        f = omega / (2 * pi)
        residual = direct_determinant(section, omega, u)
        assert residual < mpf("1e-25"), residual
        values = [b, a, mu, r2, fh, fa, rho, span, q, f, k, u]
        lines.append(name + " " + " ".join(mpmath.nstr(v, 17, min_fixed=-mpmath.inf, max_fixed=mpmath.inf) for v in values))
        print(name, "q =", mpmath.nstr(q, 12), "f =", mpmath.nstr(f, 12), "k =", mpmath.nstr(k, 12),
              "U =", mpmath.nstr(u, 12), "det residual", mpmath.nstr(residual, 3))
    with open(OUTPUT, "w") as out:
        out.write("# Exact flutter points of typical sections (tools/gen_typical_section_flutter.py)\n")
        out.write("# name b a mu r_alpha^2 f_h f_alpha rho span q f k U\n")
        for line in lines:
            out.write(line + "\n")


if __name__ == "__main__":
    main()
