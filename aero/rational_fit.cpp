#include "aero/rational_fit.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>

#include "numlib/least_squares.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

// Levenberg-Marquardt: steps, the start and the bounds of the damping,
// the step of the difference quotients in ln gamma, and the relative
// decrease of the residual below which it stops.
constexpr int kIterations = 60;
constexpr double kDampingStart = 1e-3;
constexpr double kDampingMost = 1e8;
constexpr double kDifferenceStep = 1e-6;
constexpr double kSettled = 1e-10;
// Lags closer than this in ln gamma make the fit's columns nearly equal (a
// degenerate minimum where two lags act as one): a step that brings two
// that close is refused like one that raises the residual.
constexpr double kLeastApart = 0.05;

std::size_t index(int i) { return static_cast<std::size_t>(i); }

// The linear fit: the design matrix (rows: Re and Im of each sample,
// columns A1, A2, D_1..D_n), the right-hand sides of the four entries, and
// the solution.
struct LinearFit {
  RogerFit fit;
  std::vector<double> residual;  // 2 samples x 4 entries, Re then Im
};

LinearFit linear_fit(const RogerSamples& s, std::span<const double> lags) {
  const int samples = static_cast<int>(s.k.size());
  const int rows = 2 * samples;
  const int lag_count = static_cast<int>(lags.size());
  const int columns = 2 + lag_count;
  std::vector<double> a(index(rows) * index(columns), 0.0);
  std::vector<double> b(index(rows) * 4);
  const auto el = [rows](std::vector<double>& m, int i, int j) -> double& {
    return m[index(j) * index(rows) + index(i)];
  };
  for (int i = 0; i < samples; ++i) {
    const double k = s.k[index(i)];
    el(a, 2 * i + 1, 0) = k;   // Im: k A1
    el(a, 2 * i, 1) = -k * k;  // Re: -k^2 A2
    for (int j = 0; j < lag_count; ++j) {
      // ik/(ik + gamma) = (k^2 + i gamma k)/(gamma^2 + k^2)
      const double g = lags[index(j)];
      const double denominator = g * g + k * k;
      el(a, 2 * i, 2 + j) = k * k / denominator;
      el(a, 2 * i + 1, 2 + j) = g * k / denominator;
    }
    for (int e = 0; e < 4; ++e) {
      el(b, 2 * i, e) = s.q[index(i)][index(e)].real() - s.steady[index(e)].real();
      el(b, 2 * i + 1, e) = s.q[index(i)][index(e)].imag();
    }
  }
  std::vector<double> x(index(columns) * 4);
  numlib::least_squares(rows, columns, a.data(), rows, b.data(), rows, 4, x.data(), columns);

  LinearFit out;
  RogerFit& f = out.fit;
  f.lags.assign(lags.begin(), lags.end());
  f.d.assign(index(lag_count), RealMatrix2{});
  for (int e = 0; e < 4; ++e) {
    const double* xe = &x[index(e) * index(columns)];
    f.a0[index(e)] = s.steady[index(e)].real();
    f.a1[index(e)] = xe[0];
    f.a2[index(e)] = xe[1];
    for (int j = 0; j < lag_count; ++j) f.d[index(j)][index(e)] = xe[2 + j];
  }
  // Residuals and the error.
  double largest = 0.0;
  double worst = 0.0;
  out.residual.reserve(index(rows) * 4);
  for (int i = 0; i < samples; ++i) {
    const Matrix2 fitted = roger_value(f, s.k[index(i)]);
    for (int e = 0; e < 4; ++e) {
      const Complex diff = fitted[index(e)] - s.q[index(i)][index(e)];
      out.residual.push_back(diff.real());
      out.residual.push_back(diff.imag());
      largest = std::max(largest, std::abs(s.q[index(i)][index(e)]));
      worst = std::max(worst, std::abs(diff));
    }
  }
  f.error = largest > 0.0 ? worst / largest : worst;
  return out;
}

double sum_of_squares(const std::vector<double>& r) {
  double sum = 0.0;
  for (double v : r) sum += v * v;
  return sum;
}

}  // namespace

Matrix2 roger_value(const RogerFit& fit, double k) {
  const Complex s(0.0, k);
  Matrix2 q{};
  for (std::size_t e = 0; e < 4; ++e) {
    Complex v = fit.a0[e] + s * fit.a1[e] + s * s * fit.a2[e];
    for (std::size_t j = 0; j < fit.lags.size(); ++j) v += fit.d[j][e] * s / (s + fit.lags[j]);
    q[e] = v;
  }
  return q;
}

RogerFit fit_roger_with_lags(const RogerSamples& samples, std::span<const double> lags) {
  std::vector<double> sorted(lags.begin(), lags.end());
  std::sort(sorted.begin(), sorted.end());
  return linear_fit(samples, sorted).fit;
}

RogerFit fit_roger(const RogerSamples& samples, int count) {
  const double k_lo = std::max(samples.k.front(), 1e-3 * samples.k.back());
  const double k_hi = samples.k.back();
  // The start: one lag in the middle of each of `count` equal parts of
  // the samples' range in ln k.
  std::vector<double> log_lags(index(count));
  for (int j = 0; j < count; ++j) {
    const double t = (j + 0.5) / count;
    log_lags[index(j)] = std::log(k_lo) + t * (std::log(k_hi) - std::log(k_lo));
  }
  const auto residual_at = [&](const std::vector<double>& logs) {
    std::vector<double> lags(logs.size());
    for (std::size_t j = 0; j < logs.size(); ++j) lags[j] = std::exp(logs[j]);
    return linear_fit(samples, lags);
  };
  LinearFit current = residual_at(log_lags);
  double cost = sum_of_squares(current.residual);
  double damping = kDampingStart;
  const int m = static_cast<int>(current.residual.size());
  for (int iteration = 0; iteration < kIterations && damping < kDampingMost; ++iteration) {
    // The Jacobian of the residual by forward differences in ln gamma.
    std::vector<double> jacobian(index(m + count) * index(count), 0.0);
    for (int j = 0; j < count; ++j) {
      std::vector<double> shifted = log_lags;
      shifted[index(j)] += kDifferenceStep;
      const LinearFit moved = residual_at(shifted);
      for (int i = 0; i < m; ++i) {
        jacobian[index(j) * index(m + count) + index(i)] =
            (moved.residual[index(i)] - current.residual[index(i)]) / kDifferenceStep;
      }
    }
    bool improved = false;
    while (damping < kDampingMost) {
      // min |J delta + r|^2 + damping |delta|^2 as one least-squares problem.
      std::vector<double> a = jacobian;
      std::vector<double> b(index(m + count), 0.0);
      for (int i = 0; i < m; ++i) b[index(i)] = -current.residual[index(i)];
      for (int j = 0; j < count; ++j) a[index(j) * index(m + count) + index(m + j)] = std::sqrt(damping);
      std::vector<double> delta(index(count));
      numlib::least_squares(m + count, count, a.data(), m + count, b.data(), m + count, 1, delta.data(), count);
      std::vector<double> trial = log_lags;
      for (int j = 0; j < count; ++j) trial[index(j)] += delta[index(j)];
      std::sort(trial.begin(), trial.end());
      bool apart = true;
      for (int j = 1; j < count; ++j) apart = apart && trial[index(j)] - trial[index(j - 1)] > kLeastApart;
      if (!apart) {
        damping *= 10.0;
        continue;
      }
      const LinearFit next = residual_at(trial);
      const double next_cost = sum_of_squares(next.residual);
      if (next_cost < cost) {
        const double decrease = (cost - next_cost) / cost;
        log_lags = trial;
        current = next;
        cost = next_cost;
        damping = std::max(damping / 10.0, 1e-12);
        improved = decrease > kSettled;
        break;
      }
      damping *= 10.0;
    }
    if (!improved) break;
  }
  std::vector<double> lags(log_lags.size());
  for (std::size_t j = 0; j < log_lags.size(); ++j) lags[j] = std::exp(log_lags[j]);
  return fit_roger_with_lags(samples, lags);
}

RogerFit fit_roger_auto(const RogerSamples& samples) {
  RogerFit fit;
  for (int count = kRogerFewestLags; count <= kRogerMostLags; ++count) {
    fit = fit_roger(samples, count);
    if (fit.error < kRogerTargetError) break;
  }
  return fit;
}

}  // namespace zelvan::aero
