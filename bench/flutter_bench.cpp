// The flutter solution on the bundled example case (26 sweep speeds):
//   FlutterSolution/SweepAnalysis   tracked modes, crossings, divergence
//                                   and both files (flutter_method 0): what
//                                   the analysis adds to a run;
//   FlutterSolution/ThinPlatePk     the same with p-k and the matched point;
//   FlutterSolution/PossioPk        the same on the Possio route at Ma 0.5,
//                                   with the number of exact Possio solves;
//   FlutterSolution/StateSpace      the state-space model on the thin-plate
//                                   route: fit, p-method over the sweep and
//                                   the time history (the goal: < 20 ms);
//   FlutterSolution/PossioStateSpace/{Fit,PMethod,History}  the parts of
//                                   the state-space model on the Possio
//                                   route at Ma 0.5;
//   FlutterSolution/WholeFlutterAnalysis  the sweep with zelvan_fl.dat, the
//                                   structural modes and the solution of
//                                   method 0, for comparison;
//   LimitCycle/Sweep20/{Cubic,Freeplay}  the limit-cycle sweep of the
//                                   example case lco_cubic_pitch over 20
//                                   speeds on the thin-plate route (two
//                                   marches and harmonic balance at each;
//                                   the goal: < 2 s on one core), with the
//                                   cubic pitch spring over V = 5 .. 10 and
//                                   with freeplay of 0.001 rad over V = 3 .. 6.5.
// Each runs in a scratch folder (the files are written there).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "aero/aero.hpp"
#include "driver/case_parameters.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/getarg.hpp"
#include "driver/lco_sweep.hpp"
#include "driver/model.hpp"
#include "driver/run.hpp"
#include "driver/startup.hpp"
#include "driver/state_space_history.hpp"
#include "numlib/numlib.hpp"
#include "test_support/scratch_dir.hpp"
#include "textio/textio.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelvan;

// The bundled example with its flutter group set to `method` and, when
// `mach` is not empty, that Mach number in the aerodynamic record.
std::string example(int method, const std::string& mach) {
  std::ifstream in(fs::path(ZELVAN_SOURCE_DIR) / "examples" / "zelvan.inp");
  std::ostringstream out;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 23 && !mach.empty()) line.replace(36, 10, mach);
    if (number == 32) line.replace(0, 10, std::string(9, ' ') + std::to_string(method));
    out << line << '\n';
  }
  return out.str();
}

// Reads the case and runs the model and the flutter analysis once.
class Case {
 public:
  Case(int method, const std::string& mach) : scratch_("zelvan_flutter_bench") {
    std::ofstream("case.inp") << example(method, mach);
    textio::ConsoleRedirect redirect(sink_);
    driver::reset_run_records();
    const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
    driver::set_command_line(words);
    driver::start_up();
    driver::CaseParameters& cp = driver::case_parameters();
    model_ = driver::build_model(cp);
    analysis_ = driver::flutter_analysis(cp, model_);
  }
  Case(const Case&) = delete;
  Case& operator=(const Case&) = delete;

  void solve() {
    textio::ConsoleRedirect redirect(sink_);
    sink_.str("");
    analysis_.solution = driver::flutter_solution(driver::case_parameters(), model_, analysis_.sweep);
  }

  // The whole flutter analysis again: the sweep, the modes and the solution.
  void analyse() {
    textio::ConsoleRedirect redirect(sink_);
    sink_.str("");
    analysis_ = driver::flutter_analysis(driver::case_parameters(), model_);
  }

  const driver::FlutterSolution& solution() const { return analysis_.solution; }
  const driver::AeroelasticModel& model() const { return model_; }

 private:
  test_support::ScratchWorkingDir scratch_;
  std::ostringstream sink_;
  driver::AeroelasticModel model_;
  driver::FlutterAnalysis analysis_;
};

void run(benchmark::State& state, int method, const std::string& mach) {
  Case c(method, mach);
  for (auto _ : state) c.solve();
  const driver::FlutterSolution& s = c.solution();
  state.counters["possio_solves"] = static_cast<double>(s.possio_solves);
  state.counters["matched_iterations"] = s.matched ? static_cast<double>(s.matched->iterations.size()) : 0.0;
  state.counters["speeds"] = static_cast<double>(s.sweep.q.size());
}

void SweepAnalysis(benchmark::State& state) { run(state, 0, ""); }
void ThinPlatePk(benchmark::State& state) { run(state, 1, ""); }
void PossioPk(benchmark::State& state) { run(state, 1, "       0.5"); }

// The state-space model of the bundled example as a run makes it: the
// samples over the run's fit range and the fit, the p-method over the
// sweep, and the time history (512 samples of the example's 8 s).
void StateSpace(benchmark::State& state) {
  Case c(1, "");
  const driver::CaseParameters& cp = driver::case_parameters();
  const driver::FlutterSolution& s = c.solution();
  const flutter::StateSpaceSolution& run_model = *s.state_space;
  aero::AeroRouteEvaluator route(aero::AeroRoute::thin_plate, cp.x_p, cp.aero_scale, "k");
  const auto coefficients = [&](double k) { return route.coefficients(k, cp.Ma); };
  std::size_t lags = 0;
  for (auto _ : state) {
    flutter::StateSpaceModel model = run_model.model;
    model.aero = aero::fit_roger_auto(flutter::state_space_samples(run_model.k_range[0], run_model.k_range[1], cp.x_p,
                                                                   cp.Ma, cp.aero_scale, coefficients));
    const flutter::PMethodResult p = flutter::p_method(model, s.sweep.q, {cp.f_0_1, cp.f_0_2});
    benchmark::DoNotOptimize(p.critical);
    const std::optional<driver::StateSpaceHistory> h = driver::run_state_space_history(cp, c.model().structure, model);
    benchmark::DoNotOptimize(h);
    lags = model.aero.lags.size();
  }
  state.counters["lags"] = static_cast<double>(lags);
  state.counters["speeds"] = static_cast<double>(s.sweep.q.size());
}

// The parts of the state-space model on the Possio route at Ma 0.5, as
// the run makes it: the fit of the run's samples (taken once, from exact
// solves), the p-method over the sweep, and the time history.
class PossioModel {
 public:
  PossioModel() : case_(1, "       0.5") {
    const driver::CaseParameters& cp = driver::case_parameters();
    run_model_ = *case_.solution().state_space;
    aero::AeroRouteEvaluator route(aero::AeroRoute::possio, cp.x_p, cp.aero_scale, "k");
    const auto coefficients = [&](double k) { return route.coefficients(k, cp.Ma); };
    samples_ = flutter::state_space_samples(run_model_.k_range[0], run_model_.k_range[1], cp.x_p, cp.Ma, cp.aero_scale,
                                            coefficients);
  }
  const Case& run_case() const { return case_; }
  const flutter::StateSpaceSolution& run_model() const { return run_model_; }
  const aero::RogerSamples& samples() const { return samples_; }

 private:
  Case case_;
  flutter::StateSpaceSolution run_model_;
  aero::RogerSamples samples_;
};

void PossioStateSpaceFit(benchmark::State& state) {
  const PossioModel m;
  std::size_t lags = 0;
  for (auto _ : state) {
    const aero::RogerFit fit = aero::fit_rational_auto(m.samples());
    lags = fit.lags.size();
    benchmark::DoNotOptimize(fit);
  }
  state.counters["lags"] = static_cast<double>(lags);
}

void PossioStateSpacePMethod(benchmark::State& state) {
  const PossioModel m;
  const driver::CaseParameters& cp = driver::case_parameters();
  for (auto _ : state) {
    const flutter::PMethodResult p =
        flutter::p_method(m.run_model().model, m.run_case().solution().sweep.q, {cp.f_0_1, cp.f_0_2});
    benchmark::DoNotOptimize(p.critical);
  }
  state.counters["states"] = static_cast<double>(flutter::state_count(m.run_model().model));
}

void PossioStateSpaceHistory(benchmark::State& state) {
  const PossioModel m;
  const driver::CaseParameters& cp = driver::case_parameters();
  for (auto _ : state) {
    const std::optional<driver::StateSpaceHistory> h =
        driver::run_state_space_history(cp, m.run_case().model().structure, m.run_model().model);
    benchmark::DoNotOptimize(h);
  }
}

// The example case lco_cubic_pitch with its eight nonlinear records
// replaced by `records` (cubic_h .. lco_theta0, one value each).
std::string lco_case(const std::vector<std::string>& records) {
  std::ifstream in(fs::path(ZELVAN_SOURCE_DIR) / "examples" / "cases" / "lco_cubic_pitch" / "zelvan.inp");
  std::ostringstream out;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number >= 48 && number <= 55) {
      const std::string& value = records[static_cast<std::size_t>(number - 48)];
      line = std::string(10 - value.size(), ' ') + value;
    }
    out << line << '\n';
  }
  return out.str();
}

// The limit-cycle sweep alone, the flutter solution (with its state-space
// model) computed once.
void LimitCycleSweep(benchmark::State& state, const std::vector<std::string>& records) {
  test_support::ScratchWorkingDir scratch("zelvan_lco_bench");
  std::ofstream("case.inp") << lco_case(records);
  std::ostringstream sink;
  textio::ConsoleRedirect redirect(sink);
  driver::reset_run_records();
  const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
  driver::set_command_line(words);
  driver::start_up();
  driver::CaseParameters& cp = driver::case_parameters();
  const driver::AeroelasticModel model = driver::build_model(cp);
  const driver::FlutterAnalysis analysis = driver::flutter_analysis(cp, model);
  const flutter::StateSpaceModel& aero = analysis.solution.state_space->model;
  long cycles = 0;
  for (auto _ : state) {
    const driver::LcoSweep sweep = driver::lco_sweep(cp, model.structure, aero, model.route);
    cycles = 0;
    for (const driver::LcoRow& r : sweep.rows) cycles += r.march.state == flutter::LcoState::cycle ? 1 : 0;
  }
  state.counters["marches"] = 2.0 * cp.nonlinear->lco_count;
  state.counters["cycles"] = static_cast<double>(cycles);
}

void LimitCycleCubic(benchmark::State& state) {
  LimitCycleSweep(state, {"0.0", "0.0", "3.0", "0.0", "5.0", "10.0", "20", "0.01"});
}
void LimitCycleFreeplay(benchmark::State& state) {
  LimitCycleSweep(state, {"0.0", "0.0", "0.0", "0.001", "3.0", "6.5", "20", "0.01"});
}

void WholeFlutterAnalysis(benchmark::State& state) {
  Case c(0, "");
  for (auto _ : state) c.analyse();
}

}  // namespace

BENCHMARK(SweepAnalysis)->Name("FlutterSolution/SweepAnalysis")->Unit(benchmark::kMillisecond);
BENCHMARK(ThinPlatePk)->Name("FlutterSolution/ThinPlatePk")->Unit(benchmark::kMillisecond);
BENCHMARK(PossioPk)->Name("FlutterSolution/PossioPk")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(StateSpace)->Name("FlutterSolution/StateSpace")->Unit(benchmark::kMillisecond);
BENCHMARK(PossioStateSpaceFit)->Name("FlutterSolution/PossioStateSpace/Fit")->Unit(benchmark::kMillisecond);
BENCHMARK(PossioStateSpacePMethod)->Name("FlutterSolution/PossioStateSpace/PMethod")->Unit(benchmark::kMillisecond);
BENCHMARK(PossioStateSpaceHistory)->Name("FlutterSolution/PossioStateSpace/History")->Unit(benchmark::kMillisecond);
BENCHMARK(WholeFlutterAnalysis)->Name("FlutterSolution/WholeFlutterAnalysis")->Unit(benchmark::kMillisecond);
BENCHMARK(LimitCycleCubic)->Name("LimitCycle/Sweep20/Cubic")->Unit(benchmark::kMillisecond);
BENCHMARK(LimitCycleFreeplay)->Name("LimitCycle/Sweep20/Freeplay")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
