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
constexpr int kNodes = 85;                             // quadrature nodes on (0, pi)
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

// The collocation matrix, column-major A(i, n) = a[i + kModes*n], from the
// regular kernel at every collocation-node distance.
void build_matrix(const KernelTable& k_reg, double k, double beta, const Tables& t, PossioMatrix& a) {
  const double b = -beta / 4.0;
  const Complex lambda = kI * (k / (8.0 * beta));
  const double h = 2.0 * std::numbers::pi / kNodeDivisions;

  for (int i = 0; i < kModes; ++i) {
    const Complex* k_row = &k_reg[static_cast<std::size_t>(i) * kNodes];
    const double phi = t.theta[i] / 2.0;
    const auto g = [phi](int m) { return std::cos(m * phi) / std::cos(phi); };
    for (int n = 1; n <= kModes; ++n) {
      const double u = g(2 * n - 1);
      const double w = g(2 * n + 1);
      double big_t;
      if (n == 1) {
        big_t = w + kFirstModeLog;
      } else {
        const double v = g(2 * n - 3);
        big_t = (w + u) / n - (u + v) / (n - 1);
      }
      const Complex analytic = b * u + lambda * big_t;
      const double* weight = &t.weight[static_cast<std::size_t>(n - 1) * kNodes];
      double sr = 0.0;
      double si = 0.0;
      for (int j = 0; j < kNodes; ++j) {
        sr += k_row[j].real() * weight[j];
        si += k_row[j].imag() * weight[j];
      }
      a[i + kModes * (n - 1)] = analytic + h * Complex(sr, si);
    }
  }
}

// The panels and partial weights of the collocation-node distances, which
// depend on nothing but the geometry: computed once per process.
const std::vector<PossioPanelPoint>& distance_points() {
  static const std::vector<PossioPanelPoint> points = [] {
    Tables t;
    fill_tables(t);
    std::vector<PossioPanelPoint> p;
    p.reserve(std::size_t{kModes} * kNodes);
    for (int i = 0; i < kModes; ++i) {
      for (int j = 0; j < kNodes; ++j) p.push_back(possio_panel_point(t.x[i] - t.xi[j]));
    }
    return p;
  }();
  return points;
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

// The amplitudes of the pressure modes for degree of freedom `dof` of the
// assembled system `a` at reduced frequency k; a singular system ends the run.
std::array<Complex, kModes> solve_amplitudes(const PossioMatrix& a, const Tables& tables, double k, double xr,
                                             double xrud, int dof) {
  std::array<Complex, kModes> downwash;
  for (int i = 0; i < kModes; ++i) {
    const double x = tables.x[i];
    if (dof == 1) {
      downwash[i] = kI * k;
    } else if (dof == 2) {
      downwash[i] = -1.0 - kI * k * (x - xr);
    } else {
      downwash[i] = x < xrud ? Complex{} : -1.0 - kI * k * (x - xrud);
    }
  }
  std::array<Complex, kModes> amplitudes;
  const GaussJordanResult solution = possio_gauss_jordan(kModes, a.data(), kModes, downwash.data(), amplitudes.data());
  if (!solution.solved) {
    static const textio::Layout kMessage(msg::kSingularSystem);
    const textio::Value values[] = {solution.zero_pivot_column, dof};
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
  Tables tables;
  fill_tables(tables);
  KernelTable k_reg;
  for (int i = 0; i < kModes; ++i) {
    for (int j = 0; j < kNodes; ++j)
      k_reg[static_cast<std::size_t>(i) * kNodes + j] = kernel.k_reg(tables.x[i] - tables.xi[j]);
  }
  statistics_.kernel_calls = std::ssize(k_reg);
  build_matrix(k_reg, k, kernel.beta(), tables, matrix_);
  statistics_.hankel_evaluations = kernel.hankel_evaluations();
  statistics_.fresnel_evaluations = kernel.fresnel_evaluations();
  k_ = k;
}

void PossioSolver::assemble(double mach, double k, PossioFarField far_field) {
  statistics_ = PossioSolveStatistics{};
  const PossioFastKernel kernel(mach, k, far_field);  // checks M and k
  static const Tables tables = [] {
    Tables t;
    fill_tables(t);
    return t;
  }();
  const std::vector<PossioPanelPoint>& points = distance_points();
  const Complex lambda = kI * (k / (8.0 * kernel.beta()));
  KernelTable k_reg;
  for (int i = 0; i < kModes; ++i) {
    for (int j = 0; j < kNodes; ++j) {
      const std::size_t at = static_cast<std::size_t>(i) * kNodes + j;
      k_reg[at] = lambda * kernel.k1(tables.x[i] - tables.xi[j], points[at]);
    }
  }
  statistics_.kernel_calls = std::ssize(k_reg);
  build_matrix(k_reg, k, kernel.beta(), tables, matrix_);
  statistics_.hankel_evaluations = kernel.evaluations();
  k_ = k;
}

void PossioSolver::store_loads(PossioBlock& block) const {
  check_hinge(block.xrud);
  Tables tables;
  fill_tables(tables);
  textio::OutputFile listing(trimmed(block.possio_listing));

  const double k = k_;
  const double xr = block.xr;
  const double xrud = block.xrud;
  const std::array<double, kModes> hinge = hinge_weights(xrud);
  for (int dof = 1; dof <= 3; ++dof) {
    if (block.possio_switches[dof - 1] != 1) continue;
    const std::array<Complex, kModes> amplitudes = solve_amplitudes(matrix_, tables, k, xr, xrud, dof);
    if (block.possio_switches[3] == 1) list_pressures(listing.stream(), block, dof, tables, amplitudes);
    const std::array<Complex, 3> column = load_column(dof, xr, hinge, amplitudes);
    std::copy(column.begin(), column.end(), block.q.begin() + 3 * static_cast<std::ptrdiff_t>(dof - 1));
  }
  listing.close();
}

std::array<std::complex<double>, 4> PossioSolver::plunge_pitch_loads(double xr) const {
  Tables tables;
  fill_tables(tables);
  const std::array<double, kModes> hinge = hinge_weights(0.0);
  std::array<Complex, 4> loads{};
  for (int dof = 1; dof <= 2; ++dof) {
    const std::array<Complex, 3> column =
        load_column(dof, xr, hinge, solve_amplitudes(matrix_, tables, k_, xr, 0.0, dof));
    loads[2 * static_cast<std::size_t>(dof - 1)] = column[0];
    loads[2 * static_cast<std::size_t>(dof - 1) + 1] = column[1];
  }
  return loads;
}

void possio_loads() {
  PossioSolver solver;
  solver.solve(possio_block());
}

}  // namespace zelvan::aero
