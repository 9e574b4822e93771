#!/usr/bin/env bash
# pip install . into a fresh virtual environment (Debian's Python, with its
# site packages for numpy), then import zelvan there and compute the
# textbook section's flutter point: the README's way to install the module.
#   python/tests/venv_install.sh [DIR]   (DIR: where the environment goes;
#                                        default a temporary folder)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/scripts/setup.sh" python
if [ $# -gt 0 ]; then
  dir="$1"
else
  dir="$(mktemp -d)"
  trap 'rm -rf "$dir"' EXIT
fi
/usr/bin/python3 -m venv --system-site-packages "$dir/venv"
# A copy of the repository, so that the build leaves the working tree as it was.
git -C "$root" ls-files -z --cached --others --exclude-standard | (cd "$root" && tar --null -T - -cf -) | (mkdir -p "$dir/src" && tar -xf - -C "$dir/src")
"$dir/venv/bin/pip" install --no-index --no-build-isolation "$dir/src" >"$dir/pip.log" 2>&1 || {
  tail -40 "$dir/pip.log"
  exit 1
}
cd "$dir"
"$dir/venv/bin/python" - <<'PY'
import numpy as np
import zelvan
result = zelvan.flutter(zelvan.Section(b=0.5, a=-0.2, x_theta=0.1, r2=0.24, mu=20, sigma=0.4, f_theta=10),
                        rho=1.225, speeds=np.linspace(0, 140, 41))
point = result.section.matched
assert (round(point.V, 6), round(point.omega_ratio, 6)) == (2.183915, 0.648984), point.to_dict()
print(f"zelvan from {zelvan.__file__}: V = {point.V:.6f}, omega/omega_theta = {point.omega_ratio:.6f}")
PY
