// The initial-value integrator DIVPAG against the CVODE solver of SUNDIALS
// (Debian libsundials-dev), the peer used only here.
//
// Two problems, each at TOL = 1e-3 .. 1e-10:
//   section    the program's aeroelastic section (4 states, mass matrix,
//              harmonic force), 0..8 s sampled at 2047 output times as the
//              time history does; DIVPAG with the program's options
//              (MITER 2, MTYPE 2, A given), CVODE on y' = A^-1 f.
//   robertson  Robertson's stiff kinetics, outputs at 0.4*10^k up to 4e5,
//              relative control (PARAM(11) = 1e-8, CVODE atol = 1e-8*rtol).
// Methods: 1 DIVPAG Adams, 2 DIVPAG BDF, 3 CVODE Adams, 4 CVODE BDF (all
// Newton iteration with a dense finite-difference Jacobian).  Counters:
// steps, f (right-hand-side evaluations, those of the difference
// Jacobian included), J (Jacobian evaluations) and err (the largest
// error over all outputs and components against a reference run of CVODE
// BDF at rtol 1e-13: absolute for the section, relative to max(|y|, 1e-8)
// for Robertson).
//
//   build-bench/bench/divpag_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <cvode/cvode.h>
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "numlib/divpag.hpp"
#include "test_support/section_problem.hpp"

namespace {

using zelvan::numlib::DIVPAG;

// ---- the aeroelastic section (as in the time-history step) ----
using zelvan::test_support::section_problem::kM1;
using zelvan::test_support::section_problem::kM2;
using zelvan::test_support::section_problem::kSectionMass;
using zelvan::test_support::section_problem::kSm;
using zelvan::test_support::section_problem::section;

// The explicit form y' = A^-1 f for CVODE.
void section_explicit(int n, double t, const double* y, double* f) {
  section(n, t, y, f);
  const double det = kM1 * kM2 - kSm * kSm;
  const double a = (kM2 * f[0] - kSm * f[1]) / det;
  const double b = (kM1 * f[1] - kSm * f[0]) / det;
  f[0] = a;
  f[1] = b;
}

void robertson(int, double, const double* y, double* f) {
  f[0] = -0.04 * y[0] + 1.0e4 * y[1] * y[2];
  f[2] = 3.0e7 * y[1] * y[1];
  f[1] = -f[0] - f[2];
}

void no_jacobian(int, double, const double*, double*) {}

struct Problem {
  int n;
  std::vector<double> y0;
  std::vector<double> outputs;
  zelvan::numlib::DivpagFcn divpag_rhs;
  const double* a;  // mass matrix for DIVPAG, or nullptr
  zelvan::numlib::DivpagFcn explicit_rhs;
  double floor;  // PARAM(11); CVODE atol = floor*rtol
};

Problem make_section() {
  Problem p{4, {0.0, 0.0, 0.01, 0.0}, {}, section, kSectionMass.data(), section_explicit, 1.0};
  const int npoints = 2048;
  const double dt = 8.0 / (npoints - 1);
  for (int i = 1; i < npoints; ++i) p.outputs.push_back(i * dt);
  return p;
}

Problem make_robertson() {
  Problem p{3, {1.0, 0.0, 0.0}, {}, robertson, nullptr, robertson, 1.0e-8};
  for (double t = 0.4; t <= 4.0e5 * 1.0001; t *= 10.0) p.outputs.push_back(t);
  return p;
}

const Problem& problem(int which) {
  static const Problem section_problem = make_section();
  static const Problem robertson_problem = make_robertson();
  return which == 0 ? section_problem : robertson_problem;
}

struct Outcome {
  std::vector<double> samples;  // all components at all outputs
  double steps = 0, fevals = 0, jevals = 0;
};

Outcome run_divpag(const Problem& p, int meth, double tol) {
  Outcome o;
  std::array<double, 50> param{};
  param[3] = 1.0e7;
  param[10] = p.floor;
  param[11] = meth;
  param[12] = 2;
  if (p.a != nullptr) {
    param[13] = 2;  // the program's setting
    param[18] = 1;
  }
  std::vector<double> y = p.y0;
  int ido = 1;
  double x = 0.0;
  o.samples.reserve(p.outputs.size() * static_cast<std::size_t>(p.n));
  for (const double xend : p.outputs) {
    DIVPAG(ido, p.n, p.divpag_rhs, no_jacobian, p.a, x, xend, tol, param.data(), y.data());
    o.samples.insert(o.samples.end(), y.begin(), y.end());
  }
  ido = 3;
  DIVPAG(ido, p.n, p.divpag_rhs, no_jacobian, p.a, x, p.outputs.back(), tol, param.data(), y.data());
  o.steps = param[33];
  o.fevals = param[34];
  o.jevals = param[35];
  return o;
}

int cvode_rhs(sunrealtype t, N_Vector y, N_Vector ydot, void* user) {
  const auto* p = static_cast<const Problem*>(user);
  p->explicit_rhs(p->n, t, N_VGetArrayPointer(y), N_VGetArrayPointer(ydot));
  return 0;
}

Outcome run_cvode(const Problem& p, int lmm, double rtol) {
  Outcome o;
  SUNContext ctx = nullptr;
  SUNContext_Create(nullptr, &ctx);
  N_Vector y = N_VNew_Serial(p.n, ctx);
  std::copy(p.y0.begin(), p.y0.end(), N_VGetArrayPointer(y));
  void* mem = CVodeCreate(lmm, ctx);
  CVodeInit(mem, cvode_rhs, 0.0, y);
  CVodeSStolerances(mem, rtol, rtol * p.floor);
  CVodeSetUserData(mem, const_cast<Problem*>(&p));
  CVodeSetMaxNumSteps(mem, 10000000);
  SUNMatrix m = SUNDenseMatrix(p.n, p.n, ctx);
  SUNLinearSolver ls = SUNLinSol_Dense(y, m, ctx);
  CVodeSetLinearSolver(mem, ls, m);
  o.samples.reserve(p.outputs.size() * static_cast<std::size_t>(p.n));
  for (const double tout : p.outputs) {
    sunrealtype t = 0.0;
    CVode(mem, tout, y, &t, CV_NORMAL);
    const double* v = N_VGetArrayPointer(y);
    o.samples.insert(o.samples.end(), v, v + p.n);
  }
  long steps = 0, nfe = 0, nfels = 0, nje = 0;
  CVodeGetNumSteps(mem, &steps);
  CVodeGetNumRhsEvals(mem, &nfe);
  CVodeGetNumLinRhsEvals(mem, &nfels);
  CVodeGetNumJacEvals(mem, &nje);
  o.steps = static_cast<double>(steps);
  o.fevals = static_cast<double>(nfe + nfels);
  o.jevals = static_cast<double>(nje);
  SUNLinSolFree(ls);
  SUNMatDestroy(m);
  N_VDestroy(y);
  CVodeFree(&mem);
  SUNContext_Free(&ctx);
  return o;
}

// Reference solutions: CVODE BDF far tighter than any tolerance measured.
const std::vector<double>& reference(int which) {
  static std::vector<double> refs[2];
  if (refs[which].empty()) refs[which] = run_cvode(problem(which), CV_BDF, 1.0e-13).samples;
  return refs[which];
}

// Largest error over all samples, absolute for the section, relative to
// max(|y|, floor) for Robertson (the measure both integrators control).
double achieved_error(int which, const Outcome& o) {
  const std::vector<double>& ref = reference(which);
  const double floor = problem(which).floor;
  double worst = 0.0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    worst = std::max(worst, std::fabs(o.samples[i] - ref[i]) / std::max(std::fabs(ref[i]), floor));
  }
  return worst;
}

// Args: problem (0 section, 1 robertson), method (1..4), -log10(TOL).
void BM_Integrator(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const int method = static_cast<int>(state.range(1));
  const double tol = std::pow(10.0, -static_cast<double>(state.range(2)));
  const Problem& p = problem(which);
  reference(which);
  Outcome o;
  for (auto _ : state) {
    switch (method) {
      case 1:
        o = run_divpag(p, 1, tol);
        break;
      case 2:
        o = run_divpag(p, 2, tol);
        break;
      case 3:
        o = run_cvode(p, CV_ADAMS, tol);
        break;
      default:
        o = run_cvode(p, CV_BDF, tol);
        break;
    }
    benchmark::DoNotOptimize(o.samples.data());
  }
  state.counters["steps"] = o.steps;
  state.counters["f"] = o.fevals;
  state.counters["J"] = o.jevals;
  state.counters["err"] = achieved_error(which, o);
  static const char* const kNames[] = {"", "DIVPAG-Adams", "DIVPAG-BDF", "CVODE-Adams", "CVODE-BDF"};
  state.SetLabel(std::string(which == 0 ? "section " : "robertson ") + kNames[method]);
}

void Arguments(benchmark::internal::Benchmark* b) {
  for (int which : {0, 1}) {
    for (int method : {1, 2, 3, 4}) {
      if (which == 1 && (method == 1 || method == 3)) continue;  // Adams is no method for a stiff problem
      for (int exponent = 3; exponent <= 10; ++exponent) b->Args({which, method, exponent});
    }
  }
}

BENCHMARK(BM_Integrator)->Apply(Arguments)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
