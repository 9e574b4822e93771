"""The classical typical section's flutter point (Theodorsen's thin plate):
V = U/(b omega_theta) = 2.183915 at omega/omega_theta = 0.648984."""
import numpy as np
import zelvan

section = zelvan.Section(b=0.5, a=-0.2, x_theta=0.1, r2=0.24, mu=20, sigma=0.4, f_theta=10)
point = zelvan.flutter(section, rho=1.225, speeds=np.linspace(0, 140, 41)).section.matched
print(f"V = {point.V:.6f}, omega/omega_theta = {point.omega_ratio:.6f}, k = {point.k:.6f}")
