// Speed of the real FFT against FFTW's real-to-complex transform.
//
// For each length: DFFTRF as the program calls it (work array allocated
// and prepared on every call), DF2TRF with a work array prepared once, and
// FFTW with FFTW_ESTIMATE and FFTW_MEASURE plans, the plan made once
// ("Execute") or made, used and destroyed on every call ("PlanAndExecute",
// with FFTW's accumulated wisdom forgotten first so that each plan is made
// from scratch).
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numlib/dfftrf.hpp"

namespace {

using zelvan::numlib::DF2TRF;
using zelvan::numlib::DFFTRF;
using zelvan::numlib::dfftrf_work_size;
using zelvan::numlib::DFFTRI;

// The program's capacity, powers of two, a large prime and a round length.
constexpr int kLengths[] = {10001, 8192, 4096, 9973, 1000};

std::vector<double> samples(int n) {
  std::vector<double> seq(static_cast<std::size_t>(n));
  for (int m = 0; m < n; ++m) seq[static_cast<std::size_t>(m)] = std::sin(0.37 * m) + 0.25 * std::cos(1.91 * m);
  return seq;
}

void lengths(benchmark::internal::Benchmark* b) {
  for (const int n : kLengths) b->Arg(n);
  b->Unit(benchmark::kMicrosecond);
}

void BM_DFFTRF(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto seq = samples(n);
  std::vector<double> coef(seq.size());
  for (auto _ : state) {
    DFFTRF(n, seq.data(), coef.data());
    benchmark::DoNotOptimize(coef.data());
  }
}
BENCHMARK(BM_DFFTRF)->Apply(lengths);

void BM_DF2TRF(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto seq = samples(n);
  std::vector<double> coef(seq.size()), work(dfftrf_work_size(n));
  DFFTRI(n, work.data());
  for (auto _ : state) {
    DF2TRF(n, seq.data(), coef.data(), work.data());
    benchmark::DoNotOptimize(coef.data());
  }
}
BENCHMARK(BM_DF2TRF)->Apply(lengths);

// FFTW arrays, released on leaving the benchmark.
struct FftwArrays {
  explicit FftwArrays(int n)
      : in(fftw_alloc_real(static_cast<std::size_t>(n))),
        out(fftw_alloc_complex(static_cast<std::size_t>(n / 2) + 1)) {}
  ~FftwArrays() {
    fftw_free(in);
    fftw_free(out);
  }
  FftwArrays(const FftwArrays&) = delete;
  FftwArrays& operator=(const FftwArrays&) = delete;
  double* in;
  fftw_complex* out;
};

void fftw_execute_only(benchmark::State& state, unsigned flags) {
  const int n = static_cast<int>(state.range(0));
  FftwArrays arrays(n);
  fftw_forget_wisdom();
  const fftw_plan plan = fftw_plan_dft_r2c_1d(n, arrays.in, arrays.out, flags);
  const auto seq = samples(n);  // planning may overwrite the arrays
  std::copy(seq.begin(), seq.end(), arrays.in);
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(arrays.out);
  }
  fftw_destroy_plan(plan);
}

void fftw_plan_and_execute(benchmark::State& state, unsigned flags) {
  const int n = static_cast<int>(state.range(0));
  FftwArrays arrays(n);
  const auto seq = samples(n);
  for (auto _ : state) {
    fftw_forget_wisdom();
    const fftw_plan plan = fftw_plan_dft_r2c_1d(n, arrays.in, arrays.out, flags);
    std::copy(seq.begin(), seq.end(), arrays.in);
    fftw_execute(plan);
    benchmark::DoNotOptimize(arrays.out);
    fftw_destroy_plan(plan);
  }
}

void BM_FftwEstimate_Execute(benchmark::State& state) { fftw_execute_only(state, FFTW_ESTIMATE); }
void BM_FftwEstimate_PlanAndExecute(benchmark::State& state) { fftw_plan_and_execute(state, FFTW_ESTIMATE); }
void BM_FftwMeasure_Execute(benchmark::State& state) { fftw_execute_only(state, FFTW_MEASURE); }
void BM_FftwMeasure_PlanAndExecute(benchmark::State& state) { fftw_plan_and_execute(state, FFTW_MEASURE); }
BENCHMARK(BM_FftwEstimate_Execute)->Apply(lengths);
BENCHMARK(BM_FftwEstimate_PlanAndExecute)->Apply(lengths);
BENCHMARK(BM_FftwMeasure_Execute)->Apply(lengths);
BENCHMARK(BM_FftwMeasure_PlanAndExecute)->Apply(lengths);

}  // namespace

BENCHMARK_MAIN();
