#include "aero/possio_loads.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "aero/detail/lanes.hpp"
#include "aero/detail/messages.hpp"
#include "aero/detail/possio_linear.hpp"
#include "aero/detail/possio_stop.hpp"
#include "aero/possio_fast_kernel.hpp"
#include "aero/possio_kernel.hpp"
#include "textio/console.hpp"
#include "textio/layout.hpp"
#include "textio/output_file.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

constexpr int kModes = kPossioModes;
constexpr int kNodes = 85;  // quadrature nodes on (0, pi)
// The mode count rounded up to an even number: the sums of the matrix run
// over pairs of modes, which the compiler vectorises.
constexpr int kModesPadded = kModes + 1;
// Modes per block of the matrix's sums (an even number).
constexpr int kBlock = 8;
constexpr int kCollocationDivisions = 2 * kModes + 1;  // theta_i = (2i-1) pi / 43
constexpr int kNodeDivisions = 2 * kNodes + 1;         // theta_j = 2j pi / 171
constexpr Complex kI(0.0, 1.0);
// 1 - 2 ln 2: the logarithmic integral of the first mode.
constexpr double kFirstModeLog = -0.3862943611198906;

// The tables of one solve.
struct Tables {
  std::array<double, kNodes> xi{};                            // source points cos theta_j
  std::array<double, std::size_t{kModes} * kNodes> weight{};  // X_j S(n, j), row n
  std::array<double, kModes> x{};                             // collocation points
  std::array<double, kModes> theta{};
};

void fill_tables(Tables& t) {
  for (int j = 1; j <= kNodes; ++j) {
    const double theta = 2.0 * j * std::numbers::pi / kNodeDivisions;
    t.xi[j - 1] = std::cos(theta);
    const double big_x = 1.0 - std::cos(theta);
    for (int n = 1; n <= kModes; ++n) {
      const double s = std::sin((2 * n - 1) * theta / 2.0) / std::sin(theta / 2.0);
      t.weight[(n - 1) * kNodes + (j - 1)] = big_x * s;
    }
  }
  for (int i = 1; i <= kModes; ++i) {
    t.theta[i - 1] = (2 * i - 1) * std::numbers::pi / kCollocationDivisions;
    t.x[i - 1] = std::cos(t.theta[i - 1]);
  }
}

// K_reg(x_i - xi_j) at [i * kNodes + j].
using KernelTable = std::array<Complex, std::size_t{kModes} * kNodes>;

// The geometry of the collocation, the same for every solve: the tables,
// the collocation-node distances with their panels and partial weights,
// and the trigonometric factors of the singular parts (row i, mode n at
// [i * kModes + n - 1]).
struct Geometry {
  Tables tables;
  std::vector<PossioDistance> distance;                      // x_i - xi_j at [i * kNodes + j]
  std::array<double, std::size_t{kModes} * kModes> u{};      // g(2n - 1)
  std::array<double, std::size_t{kModes} * kModes> big_t{};  // T of the logarithmic part
  // X_j S(n, j) at [j * kModesPadded + n - 1], a zero in the last column
  std::array<double, std::size_t{kModesPadded} * kNodes> node_weight{};
};

const Geometry& geometry() {
  static const Geometry g = [] {
    Geometry r;
    fill_tables(r.tables);
    const Tables& t = r.tables;
    r.distance.reserve(std::size_t{kModes} * kNodes);
    for (int i = 0; i < kModes; ++i) {
      for (int j = 0; j < kNodes; ++j) r.distance.push_back(possio_distance(t.x[i] - t.xi[j]));
    }
    for (int n = 0; n < kModes; ++n) {
      for (int j = 0; j < kNodes; ++j) r.node_weight[j * kModesPadded + n] = t.weight[n * kNodes + j];
    }
    for (int i = 0; i < kModes; ++i) {
      const double phi = t.theta[i] / 2.0;
      const auto cos_ratio = [phi](int m) { return std::cos(m * phi) / std::cos(phi); };
      for (int n = 1; n <= kModes; ++n) {
        const double u = cos_ratio(2 * n - 1);
        const double w = cos_ratio(2 * n + 1);
        const std::size_t at = static_cast<std::size_t>(i) * kModes + (n - 1);
        r.u[at] = u;
        r.big_t[at] = n == 1 ? w + kFirstModeLog : (w + u) / n - (u + cos_ratio(2 * n - 3)) / (n - 1);
      }
    }
    return r;
  }();
  return g;
}

// The collocation matrix, column-major A(i, n) = a[i + kModes*n], from the
// regular kernel at every collocation-node distance.
void build_matrix(const KernelTable& k_reg, double k, double beta, PossioMatrix& a) {
  const Geometry& geo = geometry();
  const double b = -beta / 4.0;
  const Complex lambda = kI * (k / (8.0 * beta));
  const double h = 2.0 * std::numbers::pi / kNodeDivisions;

  for (int i = 0; i < kModes; ++i) {
    const Complex* k_row = &k_reg[static_cast<std::size_t>(i) * kNodes];
    // The sums over the nodes of every mode, each in node order, a block
    // of kBlock modes at a time so that the block's sums stay in
    // registers.
    std::array<double, kModesPadded> sr{};
    std::array<double, kModesPadded> si{};
    for (int first = 0; first < kModesPadded; first += kBlock) {
      const int pairs = std::min(kBlock, kModesPadded - first) / 2;
      std::array<lanes::Pair, kBlock / 2> block_r{};
      std::array<lanes::Pair, kBlock / 2> block_i{};
      for (int j = 0; j < kNodes; ++j) {
        const double kr = k_row[j].real();
        const double ki = k_row[j].imag();
        const double* weight = &geo.node_weight[static_cast<std::size_t>(j) * kModesPadded + first];
#pragma GCC unroll 4
        for (int q = 0; q < pairs; ++q) {
          const lanes::Pair w = lanes::load(weight + 2 * static_cast<std::ptrdiff_t>(q));
          block_r[q] += kr * w;
          block_i[q] += ki * w;
        }
      }
      for (int q = 0; q < pairs; ++q) {
        for (int c = 0; c < 2; ++c) {
          sr[first + 2 * q + c] = block_r[q][c];
          si[first + 2 * q + c] = block_i[q][c];
        }
      }
    }
    for (int n = 1; n <= kModes; ++n) {
      const std::size_t at = static_cast<std::size_t>(i) * kModes + (n - 1);
      const Complex analytic = b * geo.u[at] + lambda * geo.big_t[at];
      a[i + kModes * (n - 1)] = analytic + h * Complex(sr[n - 1], si[n - 1]);
    }
  }
}

// Writes one record set to the console and to the listing file.
void list(std::ostream& file, const textio::Layout& layout, std::initializer_list<textio::Value> values) {
  textio::write(textio::console(), layout, values);
  textio::write(file, layout, values);
}

void list_pressures(std::ostream& file, const PossioBlock& block, int dof, const Tables& t,
                    const std::array<Complex, kModes>& amplitudes) {
  static const textio::Layout kMach(msg::kListMach);
  static const textio::Layout kFrequency(msg::kListFrequency);
  static const textio::Layout kPlunge(msg::kListPlunge);
  static const textio::Layout kPitch(msg::kListPitch);
  static const textio::Layout kAileron(msg::kListAileron);
  static const textio::Layout kTitle(msg::kListTitle);
  static const textio::Layout kHeader(msg::kListHeader);
  static const textio::Layout kRule(msg::kListRule);
  static const textio::Layout kRow(msg::kListRow);

  list(file, kMach, {block.mach});
  list(file, kFrequency, {block.omred});
  if (dof == 1) list(file, kPlunge, {});
  if (dof == 2) list(file, kPitch, {block.xr});
  if (dof == 3) list(file, kAileron, {block.xrud});
  list(file, kTitle, {});
  list(file, kHeader, {});
  list(file, kRule, {});
  for (int i = 0; i < kModes; ++i) {
    const double theta = t.theta[i];
    Complex sum{};
    for (int n = 1; n <= kModes; ++n) {
      sum += amplitudes[n - 1] * (std::sin((2 * n - 1) * theta / 2.0) / std::sin(theta / 2.0));
    }
    const Complex dcp = std::sqrt((1.0 - t.x[i]) / (1.0 + t.x[i])) * sum;
    list(file, kRow, {t.x[i], dcp.real(), dcp.imag()});
  }
}

// Hinge-moment weights c_n: H = -(1/4) sum c_n a_n.
std::array<double, kModes> hinge_weights(double xrud) {
  const double theta_h = std::acos(xrud);
  const double e = xrud + 0.5;
  std::array<double, kModes + 2> s{};  // s[m] = sin(m theta_h), m = 0..22
  for (int m = 0; m <= kModes + 1; ++m) s[m] = std::sin(m * theta_h);
  std::array<double, kModes> c{};
  c[0] = (1.0 + xrud) * s[1] - e * theta_h - s[2] / 4.0;
  c[1] = theta_h / 2.0 - e * s[1] + (e / 2.0) * s[2] - s[3] / 6.0;
  for (int n = 3; n <= kModes; ++n) {
    c[n - 1] = s[n - 2] / (2.0 * (n - 2)) - e * s[n - 1] / (n - 1) + e * s[n] / n - s[n + 1] / (2.0 * (n + 1));
  }
  return c;
}

void check_hinge(double xrud) {
  if (!(xrud >= -1.0 && xrud <= 1.0)) {
    static const textio::Layout kMessage(msg::kHingeOutside);
    const textio::Value values[] = {xrud};
    stop_possio(kMessage, values);
  }
}

std::string trimmed(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

// The amplitudes of the pressure modes, for each of the degrees of freedom
// `dofs` (1 plunge, 2 pitch, 3 aileron; at most 3, in this order), of the
// assembled system `a` at reduced frequency k, by one elimination; a
// singular system ends the run, naming the first of them.
using Amplitudes = std::array<Complex, kModes>;
std::vector<Amplitudes> solve_amplitudes(const PossioMatrix& a, const Tables& tables, double k, double xr, double xrud,
                                         const std::vector<int>& dofs) {
  std::vector<Amplitudes> downwash(dofs.size());
  for (std::size_t c = 0; c < dofs.size(); ++c) {
    for (int i = 0; i < kModes; ++i) {
      const double x = tables.x[i];
      if (dofs[c] == 1) {
        downwash[c][i] = kI * k;
      } else if (dofs[c] == 2) {
        downwash[c][i] = -1.0 - kI * k * (x - xr);
      } else {
        downwash[c][i] = x < xrud ? Complex{} : -1.0 - kI * k * (x - xrud);
      }
    }
  }
  std::vector<Amplitudes> amplitudes(dofs.size());
  const GaussJordanResult solution = possio_gauss_jordan(kModes, a.data(), kModes, downwash.front().data(),
                                                         amplitudes.front().data(), static_cast<int>(dofs.size()));
  if (!solution.solved) {
    static const textio::Layout kMessage(msg::kSingularSystem);
    const textio::Value values[] = {solution.zero_pivot_column, dofs.front()};
    stop_possio(kMessage, values);
  }
  return amplitudes;
}

// Lift, moment about xr and hinge moment of one degree of freedom, with the
// signs of the driver's aerodynamic matrix.
std::array<Complex, 3> load_column(int dof, double xr, const std::array<double, kModes>& hinge,
                                   const std::array<Complex, kModes>& amplitudes) {
  const Complex lift = (std::numbers::pi / 2.0) * amplitudes[0];
  const Complex moment = (std::numbers::pi / 4.0) * ((xr + 0.5) * amplitudes[0] - amplitudes[1] / 2.0);
  Complex hinge_sum{};
  for (int n = 0; n < kModes; ++n) hinge_sum += hinge[n] * amplitudes[n];
  const Complex hinge_moment = -0.25 * hinge_sum;
  if (dof == 1) return {-lift, moment, hinge_moment};
  return {lift, -moment, -hinge_moment};
}

}  // namespace

void PossioSolver::solve(PossioBlock& block) {
  check_hinge(block.xrud);
  assemble(block.mach, block.omred);
  store_loads(block);
}

void PossioSolver::assemble_by_quadrature(double mach, double k) {
  statistics_ = PossioSolveStatistics{};
  PossioKernel kernel(mach, k);  // checks M and k, computes C0
  const Tables& tables = geometry().tables;
  KernelTable k_reg;
  for (int i = 0; i < kModes; ++i) {
    for (int j = 0; j < kNodes; ++j)
      k_reg[static_cast<std::size_t>(i) * kNodes + j] = kernel.k_reg(tables.x[i] - tables.xi[j]);
  }
  statistics_.kernel_calls = std::ssize(k_reg);
  build_matrix(k_reg, k, kernel.beta(), matrix_);
  statistics_.hankel_evaluations = kernel.hankel_evaluations();
  statistics_.fresnel_evaluations = kernel.fresnel_evaluations();
  k_ = k;
}

void PossioSolver::assemble(double mach, double k, PossioFarField far_field) {
  statistics_ = PossioSolveStatistics{};
  const PossioFastKernel kernel(mach, k, far_field);  // checks M and k
  const Geometry& geo = geometry();
  const Tables& tables = geo.tables;
  // e^{i omega3 (x_i - xi_j)} and e^{-i k (x_i - xi_j)} as products.
  std::array<Complex, kModes> row3;
  std::array<Complex, kModes> rowk;
  std::array<Complex, kNodes> column3;
  std::array<Complex, kNodes> columnk;
  const double omega3 = kernel.omega3();
  for (int i = 0; i < kModes; ++i) {
    row3[i] = {std::cos(omega3 * tables.x[i]), std::sin(omega3 * tables.x[i])};
    rowk[i] = {std::cos(k * tables.x[i]), -std::sin(k * tables.x[i])};
  }
  for (int j = 0; j < kNodes; ++j) {
    column3[j] = {std::cos(omega3 * tables.xi[j]), -std::sin(omega3 * tables.xi[j])};
    columnk[j] = {std::cos(k * tables.xi[j]), std::sin(k * tables.xi[j])};
  }
  KernelTable k_reg;
  for (int i = 0; i < kModes; ++i) {
    for (int j = 0; j < kNodes; ++j) {
      const std::size_t at = static_cast<std::size_t>(i) * kNodes + j;
      const Complex rot3 = row3[i] * column3[j];
      const Complex rotk = rowk[i] * columnk[j];
      k_reg[at] = kernel.k_reg(geo.distance[at], rot3, rotk);
    }
  }
  statistics_.kernel_calls = std::ssize(k_reg);
  build_matrix(k_reg, k, kernel.beta(), matrix_);
  statistics_.hankel_evaluations = kernel.evaluations();
  k_ = k;
}

void PossioSolver::store_loads(PossioBlock& block) const {
  check_hinge(block.xrud);
  const Tables& tables = geometry().tables;
  textio::OutputFile listing(trimmed(block.possio_listing));

  const double k = k_;
  const double xr = block.xr;
  const double xrud = block.xrud;
  const std::array<double, kModes> hinge = hinge_weights(xrud);
  std::vector<int> dofs;
  for (int dof = 1; dof <= 3; ++dof) {
    if (block.possio_switches[dof - 1] == 1) dofs.push_back(dof);
  }
  if (!dofs.empty()) {
    const std::vector<Amplitudes> amplitudes = solve_amplitudes(matrix_, tables, k, xr, xrud, dofs);
    for (std::size_t c = 0; c < dofs.size(); ++c) {
      const int dof = dofs[c];
      if (block.possio_switches[3] == 1) list_pressures(listing.stream(), block, dof, tables, amplitudes[c]);
      const std::array<Complex, 3> column = load_column(dof, xr, hinge, amplitudes[c]);
      std::copy(column.begin(), column.end(), block.q.begin() + 3 * static_cast<std::ptrdiff_t>(dof - 1));
    }
  }
  listing.close();
}

std::array<std::complex<double>, 4> PossioSolver::plunge_pitch_loads(double xr) const {
  const Tables& tables = geometry().tables;
  const std::array<double, kModes> hinge = hinge_weights(0.0);
  const std::vector<Amplitudes> amplitudes = solve_amplitudes(matrix_, tables, k_, xr, 0.0, {1, 2});
  std::array<Complex, 4> loads{};
  for (int dof = 1; dof <= 2; ++dof) {
    const std::array<Complex, 3> column = load_column(dof, xr, hinge, amplitudes[static_cast<std::size_t>(dof - 1)]);
    loads[2 * static_cast<std::size_t>(dof - 1)] = column[0];
    loads[2 * static_cast<std::size_t>(dof - 1) + 1] = column[1];
  }
  return loads;
}

std::array<std::complex<double>, 9> PossioSolver::loads(double xr, double xrud) const {
  check_hinge(xrud);
  const Tables& tables = geometry().tables;
  const std::array<double, kModes> hinge = hinge_weights(xrud);
  const std::vector<Amplitudes> amplitudes = solve_amplitudes(matrix_, tables, k_, xr, xrud, {1, 2, 3});
  std::array<Complex, 9> q{};
  for (int dof = 1; dof <= 3; ++dof) {
    const std::array<Complex, 3> column = load_column(dof, xr, hinge, amplitudes[static_cast<std::size_t>(dof - 1)]);
    std::copy(column.begin(), column.end(), q.begin() + 3 * static_cast<std::ptrdiff_t>(dof - 1));
  }
  return q;
}

void possio_loads() {
  PossioSolver solver;
  solver.solve(possio_block());
}

}  // namespace zelvan::aero
