"""The flutter boundary of the classical typical section against Mach
number: Possio's compressible coefficients beside thin-plate theory with
the Prandtl-Glauert factor, each case at a fixed Mach number (the matched
point in reduced frequency), drawn with matplotlib.

    python3 examples/python/mach_boundary.py [FIGURE.png]
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import zelvan

section = zelvan.Section(b=0.5, a=-0.2, x_theta=0.1, r2=0.24, mu=20, sigma=0.4, f_theta=10)
speeds = np.linspace(0, 160, 41)  # m/s, the sweep that starts the p-k analysis
machs = np.linspace(0.15, 0.85, 15)


def boundary(route):
    V, ratio = [], []
    for mach in machs:
        result = zelvan.flutter(section, route=route, mach=mach, rho=1.225, speeds=speeds, method="matched")
        point = result.section.matched if result.matched.converged else None
        V.append(point.V if point else np.nan)
        ratio.append(point.omega_ratio if point else np.nan)
    return np.array(V), np.array(ratio)


possio = boundary("possio")
thin = boundary("thin_plate")

figure, (top, bottom) = plt.subplots(2, 1, sharex=True, figsize=(7, 6))
top.plot(machs, possio[0], "o-", label="Possio")
top.plot(machs, thin[0], "s--", label="thin plate, Prandtl-Glauert")
top.set_ylabel(r"flutter speed $V = U/(b\omega_\theta)$")
top.legend()
top.grid(True, alpha=0.3)
bottom.plot(machs, possio[1], "o-")
bottom.plot(machs, thin[1], "s--")
bottom.set_xlabel("Mach number")
bottom.set_ylabel(r"$\omega/\omega_\theta$")
bottom.grid(True, alpha=0.3)
figure.suptitle("Classical typical section at fixed Mach numbers\n"
                r"($a = -1/5$, $x_\theta = 1/10$, $r^2 = 6/25$, $\mu = 20$, $\sigma = 2/5$)", fontsize=11)
figure.tight_layout()
output = sys.argv[1] if len(sys.argv) > 1 else "mach_boundary.png"
figure.savefig(output, dpi=100)
for mach, v_p, v_t in zip(machs, possio[0], thin[0]):
    print(f"Ma {mach:.2f}: V = {v_p:.4f} (Possio), {v_t:.4f} (thin plate)")
print(f"figure: {output}")
