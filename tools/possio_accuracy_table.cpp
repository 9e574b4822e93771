// Prints, as markdown, how closely the fast Possio assembly agrees with the
// reference assembly over the whole domain and with the independent mpmath
// loads of tools/gen_possio_matrix_reference.py: the tables of
// docs/possio-solver.md, "Over the whole domain".
//
// How to run (after `ninja -C build possio_accuracy_table`; about 5 s,
// nearly all of it the reference assemblies):
//
//     build/tools/possio_accuracy_table [aero/tests/data/possio_matrix_reference.txt]
//
// Method.  Every difference is that of the 2 x 2 plunge-pitch loads
// (PossioSolver::plunge_pitch_loads) at its largest entry, relative to
// the largest entry of the loads compared with.
//  * Over M x k (points with 2k/(1 - M^2) > 25 lie outside the domain and
//    are left out): the fast assembly with the reference's far-field
//    constant (PossioFarField::leading_term_beyond_cut) against
//    assemble_by_quadrature(), the larger over xr = -0.3 and 0.2.
//  * At the points (M, k) of the mpmath file, the larger over its axes:
//    the fast assembly with C0 itself and with the cut constant against
//    the mpmath loads of the same constant, and the reference assembly
//    against the mpmath loads of the cut constant (its own) and of C0.
#include <algorithm>
#include <array>
#include <complex>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"

namespace {

using zelvan::aero::PossioFarField;
using zelvan::aero::PossioSolver;
using Loads = std::array<std::complex<double>, 4>;

constexpr double kMachs[] = {0.1001, 0.3, 0.5, 0.7, 0.9, 0.95};
constexpr double kFrequencies[] = {0.01, 0.1, 0.5, 1.0, 2.0, 3.0, 5.0};
constexpr double kAxes[] = {-0.3, 0.2};

// Largest |loads - reference| relative to the largest |reference|.
double difference(const Loads& loads, const Loads& reference) {
  double largest = 0.0;
  double worst = 0.0;
  for (std::size_t e = 0; e < loads.size(); ++e) {
    largest = std::max(largest, std::abs(reference[e]));
    worst = std::max(worst, std::abs(loads[e] - reference[e]));
  }
  return worst / largest;
}

std::string number(double v, const char* format = "%.1e") {
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

bool in_domain(double mach, double k) {
  return 2.0 * k / (1.0 - mach * mach) <= zelvan::aero::kPossioMaxSeriesArgument;
}

void print_domain_table() {
  std::cout << "| M \\ k |";
  for (double k : kFrequencies) std::cout << ' ' << number(k, "%g") << " |";
  std::cout << "\n|---|";
  for (std::size_t n = 0; n < std::size(kFrequencies); ++n) std::cout << "---|";
  std::cout << '\n';
  PossioSolver fast;
  PossioSolver reference;
  for (double mach : kMachs) {
    std::cout << "| " << number(mach, "%g") << " |";
    for (double k : kFrequencies) {
      if (!in_domain(mach, k)) {
        std::cout << " – |";
        continue;
      }
      fast.assemble(mach, k, PossioFarField::leading_term_beyond_cut);
      reference.assemble_by_quadrature(mach, k);
      double worst = 0.0;
      for (double xr : kAxes)
        worst = std::max(worst, difference(fast.plunge_pitch_loads(xr), reference.plunge_pitch_loads(xr)));
      std::cout << ' ' << number(worst) << " |";
    }
    std::cout << '\n';
  }
}

struct Reference {
  double mach = 0.0;
  double k = 0.0;
  double xr = 0.0;
  Loads exact{};  // with C0 itself
  Loads cut{};    // with the far field cut at -5000
};

Loads read_loads(std::istringstream& fields) {
  Loads q{};
  for (std::complex<double>& v : q) {
    double re = 0.0;
    double im = 0.0;
    fields >> re >> im;
    v = {re, im};
  }
  return q;
}

std::vector<Reference> read_references(const std::string& path) {
  std::ifstream in(path);
  std::vector<Reference> found;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string tag;
    double mach = 0.0;
    double k = 0.0;
    double xr = 0.0;
    if (!(fields >> tag >> mach >> k >> xr) || (tag != "exact" && tag != "cut")) continue;
    auto at = std::find_if(found.begin(), found.end(),
                           [&](const Reference& r) { return r.mach == mach && r.k == k && r.xr == xr; });
    if (at == found.end()) at = found.insert(found.end(), Reference{mach, k, xr, {}, {}});
    (tag == "exact" ? at->exact : at->cut) = read_loads(fields);
  }
  return found;
}

// One row per (M, k) of the file, each difference the larger over its axes.
void print_reference_table(const std::vector<Reference>& references) {
  std::cout << "| M | k | 2k/(1 − M²) | fast − mpmath | fast, C0_cut − mpmath, C0_cut | reference − mpmath, C0_cut "
               "| reference − mpmath |\n"
               "|---|---|---|---|---|---|---|\n";
  PossioSolver fast;
  PossioSolver fast_cut;
  PossioSolver reference;
  for (std::size_t first = 0; first < references.size();) {
    const double mach = references[first].mach;
    const double k = references[first].k;
    fast.assemble(mach, k);
    fast_cut.assemble(mach, k, PossioFarField::leading_term_beyond_cut);
    reference.assemble_by_quadrature(mach, k);
    std::array<double, 4> worst{};
    std::size_t next = first;
    for (; next < references.size() && references[next].mach == mach && references[next].k == k; ++next) {
      const Reference& r = references[next];
      const Loads by_quadrature = reference.plunge_pitch_loads(r.xr);
      const double d[] = {difference(fast.plunge_pitch_loads(r.xr), r.exact),
                          difference(fast_cut.plunge_pitch_loads(r.xr), r.cut), difference(by_quadrature, r.cut),
                          difference(by_quadrature, r.exact)};
      for (std::size_t c = 0; c < worst.size(); ++c) worst[c] = std::max(worst[c], d[c]);
    }
    std::cout << "| " << number(mach, "%g") << " | " << number(k, "%g") << " | "
              << number(2.0 * k / (1.0 - mach * mach), "%.3g") << " |";
    for (double w : worst) std::cout << ' ' << number(w) << " |";
    std::cout << '\n';
    first = next;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1] : std::string(ZELVAN_SOURCE_DIR) + "/aero/tests/data/possio_matrix_reference.txt";
  const std::vector<Reference> references = read_references(path);
  if (references.empty()) {
    std::cerr << "possio_accuracy_table: no reference loads in " << path << '\n';
    return 1;
  }
  std::cout << "Fast assembly (C0_cut) against the reference assembly, largest over xr = -0.3 and 0.2:\n\n";
  print_domain_table();
  std::cout << "\nAt the mpmath points:\n\n";
  print_reference_table(references);
  return 0;
}
