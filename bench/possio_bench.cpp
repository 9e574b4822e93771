// Speed of the Possio solver at three operating points: one complete solve
// (possio_solve: the fast assembly of the kernel), the same solve with the
// reference assembly by quadrature (possio_solve_by_quadrature), and the
// reference's integrands alone (one Hankel function and one complex
// exponential per value).
//
//   build-dir/bench/possio_bench
//
// Counters of the reference solve: hankel_evals (integrand values per solve),
// fresnel_evals (values of the Fresnel tail of C0), time_per_eval (solve
// time divided by hankel_evals).  integrands_of_one_solve evaluates the
// integrands alone at exactly the arguments one solve uses; the ratio of
// the two time_per_eval values is what the rest of the solve costs on top
// of its integrand values.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "aero/detail/possio_romberg.hpp"
#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"
#include "test_support/scratch_dir.hpp"

namespace {

using zelvan::aero::PossioBlock;
using zelvan::aero::PossioKernel;
using zelvan::aero::PossioSolver;

// (M, k, xr) of the three cases.
constexpr double kCases[3][3] = {{0.5, 0.2, -0.5}, {0.1001, 0.2, -0.5}, {0.8, 1.0, -0.2}};

// The solver's input block of case `c`, with the listing file on.
PossioBlock case_block(const double* c) {
  PossioBlock block;
  block.possio_switches = {1, 1, 0, 0};
  block.possio_listing = "possio_sub.out      ";
  block.mach = c[0];
  block.omred = c[1];
  block.xr = c[2];
  return block;
}

void possio_solve_by_quadrature(benchmark::State& state) {
  const double* c = kCases[state.range(0)];
  PossioBlock block = case_block(c);
  PossioSolver solver;
  for (auto _ : state) {
    solver.assemble_by_quadrature(block.mach, block.omred);
    solver.store_loads(block);
    benchmark::DoNotOptimize(block.q);
  }
  const auto& s = solver.statistics();
  state.SetLabel("M=" + std::to_string(c[0]) + " k=" + std::to_string(c[1]));
  state.counters["hankel_evals"] = static_cast<double>(s.hankel_evaluations);
  state.counters["fresnel_evals"] = static_cast<double>(s.fresnel_evaluations);
  state.counters["time_per_eval"] =
      benchmark::Counter(static_cast<double>(s.hankel_evaluations),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(possio_solve_by_quadrature)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The solve itself (PossioSolver::solve: the fast assembly and the loads).
void possio_solve(benchmark::State& state) {
  const double* c = kCases[state.range(0)];
  PossioBlock block = case_block(c);
  PossioSolver solver;
  for (auto _ : state) {
    solver.solve(block);
    benchmark::DoNotOptimize(block.q);
  }
  state.SetLabel("M=" + std::to_string(c[0]) + " k=" + std::to_string(c[1]));
  state.counters["hankel_evals"] = static_cast<double>(solver.statistics().hankel_evaluations);
}
BENCHMARK(possio_solve)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The arguments at which one solve evaluates the integrands, in the order
// it visits them: the far-field quadrature of C0, then for every pair of
// collocation point x_i = cos((2i-1) pi/43) and source point
// xi_j = cos(2j pi/171) the near-field quadratures from -2 to x_i - xi_j.
// The quadratures run with the real integrands, so they refine exactly as
// in the solve.
struct Arguments {
  std::vector<double> near;
  std::vector<double> far;
};

Arguments recorded_arguments(const PossioKernel& kernel) {
  Arguments args;
  const auto far = [&](double u) {
    args.far.push_back(u);
    return kernel.far_field_integrand(u);
  };
  const auto near = [&](double u) {
    args.near.push_back(u);
    return kernel.near_field_integrand(u);
  };
  const double tol = zelvan::aero::kPossioQuadratureTolerance;
  zelvan::aero::romberg(zelvan::aero::kPossioFarFieldCut, zelvan::aero::kPossioNearFieldStart, far, tol);
  const double pi = 2.0 * std::asin(1.0);
  for (int i = 1; i <= 21; ++i) {
    for (int j = 1; j <= 85; ++j) {
      const double x = std::cos((2 * i - 1) * pi / 43) - std::cos(2 * j * pi / 171);
      if (x < 0.0) {
        zelvan::aero::romberg(-2.0, x, near, tol);
      } else {
        zelvan::aero::romberg(-2.0, -x, near, tol);
        zelvan::aero::romberg(-x, x, near, tol);
      }
    }
  }
  return args;
}

// The integrands alone, at exactly the arguments of one solve.
void integrands_of_one_solve(benchmark::State& state) {
  const double* c = kCases[state.range(0)];
  const PossioKernel kernel(c[0], c[1]);
  const Arguments args = recorded_arguments(kernel);
  for (auto _ : state) {
    for (double u : args.far) benchmark::DoNotOptimize(kernel.far_field_integrand(u));
    for (double u : args.near) benchmark::DoNotOptimize(kernel.near_field_integrand(u));
  }
  const double count = static_cast<double>(args.near.size() + args.far.size());
  state.SetLabel("M=" + std::to_string(c[0]) + " k=" + std::to_string(c[1]));
  state.counters["hankel_evals"] = count;
  state.counters["time_per_eval"] =
      benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(integrands_of_one_solve)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

// Every solve writes its listing file into the working folder: run in a
// scratch folder that is removed afterwards.
int main(int argc, char** argv) {
  const zelvan::test_support::ScratchWorkingDir scratch("zelvan_possio_bench");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
