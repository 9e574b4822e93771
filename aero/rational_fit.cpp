#include "aero/rational_fit.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <utility>

#include "numlib/least_squares.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

// Levenberg-Marquardt: steps, the start and the bounds of the damping,
// and the relative decrease of the sum of squares below which it stops:
// the steps then shrink by a factor of about 3 each, so what is left of
// the decrease is of the same order, far below the error a fit is chosen
// by.
constexpr int kIterations = 60;
constexpr double kDampingStart = 1e-3;
constexpr double kDampingLeast = 1e-12;
constexpr double kDampingMost = 1e8;
constexpr double kSettled = 1e-6;
// The longest step in any ln gamma (a factor of 1.65 on the lag).
constexpr double kLongestStep = 0.5;
// Lags closer than this in ln gamma make the fit's columns nearly equal (a
// degenerate minimum where two lags act as one): a step that brings two
// that close is refused like one that raises the residual.
constexpr double kLeastApart = 0.05;

std::size_t index(int i) { return static_cast<std::size_t>(i); }

// The linear fit with given lags: the design matrix A (rows: Re and Im of
// each sample, columns A1, A2, D_1..D_n, by columns), the right-hand sides
// b of the four entries (Q - Q(0)), the solution x (columns x 4), the
// residual A x - b of each entry in turn, and for each lag (I - P) dA_j,
// the part of its column's derivative by ln gamma_j outside A's columns
// (P the projection on them), rows x n.
struct LinearFit {
  RogerFit fit;
  int rows = 0, columns = 0;
  std::vector<double> a, x, residual, projected;
};

// Column j of the lag ik/(ik + gamma) = (k^2 + i gamma k)/(gamma^2 + k^2),
// and its derivative by ln gamma, at the samples' rows.
void lag_column(const std::vector<double>& k, double g, double* column, double* derivative) {
  for (std::size_t i = 0; i < k.size(); ++i) {
    const double k2 = k[i] * k[i];
    const double denominator = g * g + k2;
    column[2 * i] = k2 / denominator;
    column[2 * i + 1] = g * k[i] / denominator;
    if (derivative != nullptr) {
      const double d2 = denominator * denominator;
      derivative[2 * i] = -2.0 * g * g * k2 / d2;
      derivative[2 * i + 1] = g * k[i] * (k2 - g * g) / d2;
    }
  }
}

LinearFit linear_fit(const RogerSamples& s, std::span<const double> lags) {
  LinearFit out;
  const int samples = static_cast<int>(s.k.size());
  const int rows = 2 * samples;
  const int lag_count = static_cast<int>(lags.size());
  const int columns = 2 + lag_count;
  out.rows = rows;
  out.columns = columns;
  std::vector<double>& a = out.a;
  a.assign(index(rows) * index(columns), 0.0);
  // The right-hand sides: b of the four entries, then the derivatives of
  // the lag columns, whose residuals are (I - P) dA_j (one factorisation
  // for both).
  std::vector<double> b(index(rows) * index(4 + lag_count));
  for (int i = 0; i < samples; ++i) {
    const double k = s.k[index(i)];
    a[index(2 * i + 1)] = k;                 // Im: k A1
    a[index(rows) + index(2 * i)] = -k * k;  // Re: -k^2 A2
    for (int e = 0; e < 4; ++e) {
      b[index(e) * index(rows) + index(2 * i)] = s.q[index(i)][index(e)].real() - s.steady[index(e)].real();
      b[index(e) * index(rows) + index(2 * i + 1)] = s.q[index(i)][index(e)].imag();
    }
  }
  for (int j = 0; j < lag_count; ++j) {
    lag_column(s.k, lags[index(j)], &a[index(2 + j) * index(rows)], &b[index(4 + j) * index(rows)]);
  }
  std::vector<double> solution(index(columns) * index(4 + lag_count), 0.0);
  numlib::least_squares(rows, columns, a.data(), rows, b.data(), rows, 4 + lag_count, solution.data(), columns);
  out.x.assign(solution.begin(), solution.begin() + static_cast<std::ptrdiff_t>(index(columns) * 4));
  out.projected.assign(index(rows) * index(lag_count), 0.0);
  for (int j = 0; j < lag_count; ++j) {
    double* p = &out.projected[index(j) * index(rows)];
    const double* y = &solution[index(4 + j) * index(columns)];
    for (int i = 0; i < rows; ++i) p[i] = b[index(4 + j) * index(rows) + index(i)];
    for (int c = 0; c < columns; ++c) {
      const double* ac = &a[index(c) * index(rows)];
      for (int i = 0; i < rows; ++i) p[i] -= ac[i] * y[c];
    }
  }

  RogerFit& f = out.fit;
  f.lags.assign(lags.begin(), lags.end());
  f.d.assign(index(lag_count), RealMatrix2{});
  for (int e = 0; e < 4; ++e) {
    const double* xe = &out.x[index(e) * index(columns)];
    f.a0[index(e)] = s.steady[index(e)].real();
    f.a1[index(e)] = xe[0];
    f.a2[index(e)] = xe[1];
    for (int j = 0; j < lag_count; ++j) f.d[index(j)][index(e)] = xe[2 + j];
  }
  // The residuals A x - b (= Q_fit - Q, Re and Im) and the error.
  out.residual.assign(index(rows) * 4, 0.0);
  for (int e = 0; e < 4; ++e) {
    double* r = &out.residual[index(e) * index(rows)];
    for (int i = 0; i < rows; ++i) r[i] = -b[index(e) * index(rows) + index(i)];
    for (int c = 0; c < columns; ++c) {
      const double xc = out.x[index(e) * index(columns) + index(c)];
      const double* ac = &a[index(c) * index(rows)];
      for (int i = 0; i < rows; ++i) r[i] += ac[i] * xc;
    }
  }
  double largest = 0.0;
  double worst = 0.0;
  for (int i = 0; i < samples; ++i) {
    for (int e = 0; e < 4; ++e) {
      const double* r = &out.residual[index(e) * index(rows) + index(2 * i)];
      largest = std::max(largest, std::abs(s.q[index(i)][index(e)]));
      worst = std::max(worst, std::hypot(r[0], r[1]));
    }
  }
  f.error = largest > 0.0 ? worst / largest : worst;
  return out;
}

// The Jacobian of the residual by ln gamma in Kaufman's form of variable
// projection: with P the projection on A's columns and x the solution,
//   dr/d ln gamma_j ~ (I - P) (dA/d ln gamma_j) x = x_j,e (I - P) dA_j
// for entry e (only column j of A depends on gamma_j), the term of dx left
// out (it vanishes with the residual; Kaufman 1975, BIT 15).  By columns,
// 4 rows x n.
std::vector<double> projected_jacobian(const LinearFit& fit) {
  const int rows = fit.rows;
  const int columns = fit.columns;
  const int count = columns - 2;
  const int m = 4 * rows;
  std::vector<double> jacobian(index(m) * index(count), 0.0);
  for (int j = 0; j < count; ++j) {
    const double* p = &fit.projected[index(j) * index(rows)];
    for (int e = 0; e < 4; ++e) {
      const double xj = fit.x[index(e) * index(columns) + index(2 + j)];
      double* out = &jacobian[index(j) * index(m) + index(e) * index(rows)];
      for (int i = 0; i < rows; ++i) out[i] = xj * p[i];
    }
  }
  return jacobian;
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
    const std::vector<double> jacobian = projected_jacobian(current);
    bool improved = false;
    while (damping < kDampingMost) {
      // min |J delta + r|^2 + damping |delta|^2 as one least-squares problem.
      std::vector<double> a(index(m + count) * index(count), 0.0);
      for (int j = 0; j < count; ++j) {
        std::copy_n(&jacobian[index(j) * index(m)], m, &a[index(j) * index(m + count)]);
        a[index(j) * index(m + count) + index(m + j)] = std::sqrt(damping);
      }
      std::vector<double> b(index(m + count), 0.0);
      for (int i = 0; i < m; ++i) b[index(i)] = -current.residual[index(i)];
      std::vector<double> delta(index(count));
      numlib::least_squares(m + count, count, a.data(), m + count, b.data(), m + count, 1, delta.data(), count);
      std::vector<double> trial = log_lags;
      // At most kLongestStep in any ln gamma: far from the minimum the
      // projected Jacobian can ask for a step that folds two lags into one.
      double longest = 0.0;
      for (int j = 0; j < count; ++j) longest = std::max(longest, std::fabs(delta[index(j)]));
      const double shrink = longest > kLongestStep ? kLongestStep / longest : 1.0;
      for (int j = 0; j < count; ++j) trial[index(j)] += shrink * delta[index(j)];
      std::sort(trial.begin(), trial.end());
      bool apart = true;
      for (int j = 1; j < count; ++j) apart = apart && trial[index(j)] - trial[index(j - 1)] > kLeastApart;
      if (!apart) {
        damping *= 10.0;
        continue;
      }
      LinearFit next = residual_at(trial);
      const double next_cost = sum_of_squares(next.residual);
      if (next_cost < cost) {
        const double decrease = (cost - next_cost) / cost;
        log_lags = trial;
        current = std::move(next);
        cost = next_cost;
        damping = std::max(damping / 10.0, kDampingLeast);
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
  // Bisection over the counts: `missed` is the largest count known to
  // miss the target (every count below it taken to miss it too), `met` the
  // smallest known to meet it, with the fit of each.  Each count's fit is
  // the same whichever order the counts are tried in.
  int missed = kRogerFewestLags - 1;
  int met = kRogerMostLags + 1;
  RogerFit best, most;
  while (met - missed > 1) {
    const int count = missed + (met - missed) / 2;
    RogerFit fit = fit_roger(samples, count);
    if (fit.error < kRogerTargetError) {
      met = count;
      best = std::move(fit);
    } else {
      missed = count;
      if (count == kRogerMostLags) most = std::move(fit);
    }
  }
  return met <= kRogerMostLags ? best : most;
}

}  // namespace zelvan::aero

namespace zelvan::aero {
namespace {

// Alternating least squares of the minimum-state form: at most this many
// rounds, ending when a round lowers the sum of squares by less than this
// fraction of it.  A lag part of rank one (thin-plate coefficients)
// settles in the first round; where it is not of rank one (Possio's) the
// rounds creep down by a few per cent of the misfit each, far from Roger's
// error, and the bound keeps their cost at about 2 ms.
constexpr int kMinimumStateRounds = 20;
constexpr double kMinimumStateSettled = 1e-12;

// The largest |Q_fit - Q| over the samples relative to the largest |Q|,
// and the sum of squares of Q_fit - Q.
struct FitMisfit {
  double error = 0.0, squares = 0.0;
};

FitMisfit misfit(const RogerFit& f, const RogerSamples& s) {
  double largest = 0.0, worst = 0.0, squares = 0.0;
  for (std::size_t i = 0; i < s.k.size(); ++i) {
    const Matrix2 fitted = roger_value(f, s.k[i]);
    for (std::size_t e = 0; e < 4; ++e) {
      const double diff = std::abs(fitted[e] - s.q[i][e]);
      largest = std::max(largest, std::abs(s.q[i][e]));
      worst = std::max(worst, diff);
      squares += diff * diff;
    }
  }
  return {largest > 0.0 ? worst / largest : worst, squares};
}

// One half-round: with the factors `fixed` (e_j when solving rows, d_j
// when solving columns) the other factors and A1, A2 by least squares, one
// problem for each row (rows = true) or column of Q.  The unknowns of
// index r: A1 and A2 of its two entries, then one factor per lag.
void solve_factors(const RogerSamples& s, RogerFit& f, bool rows) {
  const std::size_t n = s.k.size();
  const std::size_t m = f.lags.size();
  const int equations = static_cast<int>(4 * n);
  const int unknowns = static_cast<int>(4 + m);
  for (std::size_t r = 0; r < 2; ++r) {
    std::vector<double> a(static_cast<std::size_t>(equations) * static_cast<std::size_t>(unknowns), 0.0);
    std::vector<double> b(static_cast<std::size_t>(equations));
    const auto el = [&](std::size_t row, std::size_t col) -> double& { return a[col * 4 * n + row]; };
    for (std::size_t i = 0; i < n; ++i) {
      const double k = s.k[i];
      for (std::size_t c = 0; c < 2; ++c) {
        // The entry (r, c) when solving rows, (c, r) when solving columns.
        const std::size_t entry = rows ? r + 2 * c : c + 2 * r;
        const std::size_t re = 4 * i + 2 * c, im = re + 1;
        el(im, c) = k;           // A1 of the entry: Im ik
        el(re, 2 + c) = -k * k;  // A2: Re (ik)^2
        for (std::size_t j = 0; j < m; ++j) {
          const double g = f.lags[j];
          const double factor = rows ? f.e_vectors[j][c] : f.d_vectors[j][c];
          el(re, 4 + j) = factor * k * k / (g * g + k * k);
          el(im, 4 + j) = factor * g * k / (g * g + k * k);
        }
        b[re] = s.q[i][entry].real() - s.steady[entry].real();
        b[im] = s.q[i][entry].imag();
      }
    }
    std::vector<double> x(static_cast<std::size_t>(unknowns));
    numlib::least_squares(equations, unknowns, a.data(), equations, b.data(), equations, 1, x.data(), unknowns);
    for (std::size_t c = 0; c < 2; ++c) {
      const std::size_t entry = rows ? r + 2 * c : c + 2 * r;
      f.a1[entry] = x[c];
      f.a2[entry] = x[2 + c];
    }
    for (std::size_t j = 0; j < m; ++j) (rows ? f.d_vectors[j][r] : f.e_vectors[j][r]) = x[4 + j];
  }
}

// D_j = d_j e_j^T, with e_j scaled to unit length (its larger component
// positive) and d_j by the inverse.
void form_products(RogerFit& f) {
  for (std::size_t j = 0; j < f.lags.size(); ++j) {
    std::array<double, 2>& e = f.e_vectors[j];
    std::array<double, 2>& d = f.d_vectors[j];
    double norm = std::hypot(e[0], e[1]);
    if (norm > 0.0) {
      if (std::fabs(e[1]) > std::fabs(e[0]) ? e[1] < 0.0 : e[0] < 0.0) norm = -norm;
      e = {e[0] / norm, e[1] / norm};
      d = {d[0] * norm, d[1] * norm};
    }
    f.d[j] = {d[0] * e[0], d[1] * e[0], d[0] * e[1], d[1] * e[1]};
  }
}

}  // namespace

RogerFit fit_minimum_state(const RogerSamples& samples, const RogerFit& start, double acceptable) {
  RogerFit f = start;
  f.form = LagForm::minimum_state;
  f.d_vectors.assign(f.lags.size(), {});
  f.e_vectors.assign(f.lags.size(), {});
  // The start: e_j the right singular vector of D_j's larger singular
  // value (the eigenvector of D^T D), d_j = D_j e_j.
  for (std::size_t j = 0; j < f.lags.size(); ++j) {
    const RealMatrix2& m = start.d[j];
    const double p = m[0] * m[0] + m[1] * m[1], q = m[0] * m[2] + m[1] * m[3], r = m[2] * m[2] + m[3] * m[3];
    const double largest = 0.5 * (p + r) + std::sqrt(0.25 * (p - r) * (p - r) + q * q);
    std::array<double, 2> e = std::fabs(p - largest) > std::fabs(r - largest) ? std::array<double, 2>{q, largest - p}
                                                                              : std::array<double, 2>{largest - r, q};
    if (e[0] == 0.0 && e[1] == 0.0) e = {1.0, 0.0};
    const double norm = std::hypot(e[0], e[1]);
    f.e_vectors[j] = {e[0] / norm, e[1] / norm};
    f.d_vectors[j] = {m[0] * f.e_vectors[j][0] + m[2] * f.e_vectors[j][1],
                      m[1] * f.e_vectors[j][0] + m[3] * f.e_vectors[j][1]};
  }
  form_products(f);
  FitMisfit now = misfit(f, samples);
  for (int round = 0; round < kMinimumStateRounds; ++round) {
    solve_factors(samples, f, true);
    solve_factors(samples, f, false);
    form_products(f);
    const FitMisfit next = misfit(f, samples);
    const bool settled = !(now.squares - next.squares > kMinimumStateSettled * now.squares);
    // The rounds converge linearly, each lowering the error by less than
    // the one before: at this round's decrease, the rounds left cannot
    // bring it within `acceptable`.
    const double rounds_left = kMinimumStateRounds - 1 - round;
    const bool out_of_reach =
        round > 0 && next.error - rounds_left * std::max(now.error - next.error, 0.0) > acceptable;
    now = next;
    if (settled || out_of_reach) break;
  }
  f.error = now.error;
  return f;
}

RogerFit fit_rational_auto(const RogerSamples& samples) {
  RogerFit roger = fit_roger_auto(samples);
  const double acceptable = std::max(roger.error, kRogerTargetError);
  RogerFit minimum = fit_minimum_state(samples, roger, acceptable);
  return minimum.error <= acceptable ? minimum : roger;
}

}  // namespace zelvan::aero
