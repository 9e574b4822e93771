// The flutter solution of a run: tracked modes where the table's columns
// swap, crossings (onset and offset of a hump mode, a crossing on a sweep
// step, none), divergence against its closed form, the p-k critical point
// and the matched point against the exact flutter point of typical sections
// (tools/gen_typical_section_flutter.py) and at the default tolerances
// against the tight ones, the Possio route at Ma 0.5 and 0.7, Mach
// matching, the input group's checks and the files.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "driver/figures.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/structural_model.hpp"
#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// Agreement with the exact flutter point: the requirement.
constexpr double kReferenceTolerance = 1e-6;
// A refined crossing: 1e-10 relative in q, with margin for the rounding of
// the eigen-solver at the root.
constexpr double kRefinedTolerance = 1e-9;

struct Section {
  std::string name;
  double b, a, mu, r2, f_h, f_a, rho, span, q, f, k, u;
};

std::vector<Section> reference_sections() {
  std::ifstream in(fs::path(ZELVAN_SOURCE_DIR) / "driver/tests/data/typical_section_flutter.txt");
  std::vector<Section> sections;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Section s;
    fields >> s.name >> s.b >> s.a >> s.mu >> s.r2 >> s.f_h >> s.f_a >> s.rho >> s.span >> s.q >> s.f >> s.k >> s.u;
    sections.push_back(s);
  }
  return sections;
}

// Runs start-up, the model and the flutter analysis on `records` in a
// scratch folder; `adjust` may change the case after it has been read.
struct Solved {
  RunResult run;
  FlutterSolution solution;
  CaseParameters cp;
  std::vector<std::string> files;
};

Solved solve(const std::vector<std::string>& records, const std::function<void(CaseParameters&)>& adjust = {}) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  write_file("case.inp", join(records));
  reset_run_records();
  const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
  set_command_line(words);
  Solved s;
  s.run = capture_run([&] {
    start_up();
    if (adjust) adjust(case_parameters());
    build_run_model();
    analyse_run_flutter();
  });
  s.solution = flutter_solution_result();
  s.cp = case_parameters();
  s.files = dir.entries();
  return s;
}

std::vector<std::string> flutter_group(int method, double sound_speed = 0.0, double tolerance = 0.0,
                                       int iterations = 0) {
  return {".", right(std::to_string(method)), right(field_text(sound_speed)), right(field_text(tolerance)),
          right(std::to_string(iterations))};
}

// A typical section (centre of mass on the pitch axis) in the program's
// coordinates: plunge h/b, pitch; c = x_ref = 2b.
void set_typical_section(CaseParameters& cp, const Section& s) {
  const double m = s.mu * M_PI * s.rho * s.b * s.b;
  const double ia = m * s.r2 * s.b * s.b;
  const double c = 2.0 * s.b;
  cp.M_1 = m * s.span / 2.0;
  cp.K_1 = m * std::pow(2.0 * M_PI * s.f_h, 2) * s.span / 2.0;
  cp.M_2 = ia * s.span / (c * c);
  cp.K_2 = ia * std::pow(2.0 * M_PI * s.f_a, 2) * s.span / (c * c);
  cp.S_m = 0.0;
  cp.K_m = 0.0;
  cp.aero_scale = s.span;
  cp.x_p = (1.0 + s.a) / 2.0;
  cp.x_ref = c;
  cp.rho = s.rho;
  cp.q_start = 0.0;
  cp.f_s = 1.25 * s.q;
  cp.nstep = 20;
  cp.nextra = 6;
}

// The section of the bundled example: flutter near q = 140 N/m^2, well
// below its divergence (near 290 N/m^2).
void set_bundled_section(CaseParameters& cp) {
  cp.M_1 = 5.0;
  cp.M_2 = 0.08;
  cp.S_m = 0.1;
  cp.K_1 = 4000.0;
  cp.K_m = 0.0;
  cp.K_2 = 180.0;
  cp.x_p = 0.35;
  cp.aero_scale = 1.0;
  cp.x_ref = 0.5;
  cp.rho = 1.2;
  cp.q_start = 0.0;
  cp.f_s = 100.0;
  cp.nstep = 20;
  cp.nextra = 15;
}

std::vector<std::string> thin_plate_records(double w_star, double mach, const std::vector<std::string>& group) {
  CaseInput c;
  c.w_star = w_star;
  c.Ma = mach;
  c.sweep = true;
  return case_records(c) + group;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// --- the exact flutter point of typical sections ------------------------

struct ReferenceCase {
  std::size_t section;
  double w_star;
};

class TypicalSection : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(TypicalSection, PkAndMatchedPointAgreeWithTheTheodorsenReference) {
  const std::vector<Section> sections = reference_sections();
  ASSERT_GT(sections.size(), GetParam().section);
  const Section& ref = sections[GetParam().section];
  const Solved s = solve(thin_plate_records(GetParam().w_star, 0.0, flutter_group(1, 0.0, 1e-11, 40)),
                         [&](CaseParameters& cp) { set_typical_section(cp, ref); });
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  ASSERT_TRUE(s.solution.pk && s.solution.pk->critical) << s.run.console;
  const Crossing& pk = *s.solution.pk->critical;
  EXPECT_LT(relative(pk.q, ref.q), kReferenceTolerance) << pk.q << " vs " << ref.q;
  EXPECT_LT(relative(pk.f, ref.f), kReferenceTolerance) << pk.f << " vs " << ref.f;
  EXPECT_LT(relative(pk.k, ref.k), kReferenceTolerance) << pk.k << " vs " << ref.k;
  ASSERT_TRUE(s.solution.matched && s.solution.matched->critical);
  EXPECT_TRUE(s.solution.matched->converged());
  const Crossing& matched = *s.solution.matched->critical;
  EXPECT_LT(relative(matched.q, ref.q), kReferenceTolerance) << matched.q << " vs " << ref.q;
  EXPECT_LT(relative(matched.f, ref.f), kReferenceTolerance) << matched.f << " vs " << ref.f;
  EXPECT_LT(relative(matched.k, ref.k), kReferenceTolerance) << matched.k << " vs " << ref.k;
  // The measured agreement, for the record (--gtest_output=xml).
  const double worst = std::max({relative(pk.q, ref.q), relative(pk.f, ref.f), relative(pk.k, ref.k),
                                 relative(matched.q, ref.q), relative(matched.f, ref.f), relative(matched.k, ref.k)});
  char text[32];
  std::snprintf(text, sizeof text, "%.2e", worst);
  RecordProperty("largest_relative_error", text);
  // The run's own coefficients keep the input's w_star.
  EXPECT_EQ(s.cp.w_star, GetParam().w_star);
}

TEST_P(TypicalSection, StateSpaceFlutterPointAgreesWithTheTheodorsenReference) {
  // The fit's error (below 1e-4 of the largest coefficient) moves the
  // flutter point by about as much: 1e-3 leaves a margin of ten.
  constexpr double kStateSpaceTolerance = 1e-3;
  const std::vector<Section> sections = reference_sections();
  ASSERT_GT(sections.size(), GetParam().section);
  const Section& ref = sections[GetParam().section];
  const Solved s = solve(thin_plate_records(GetParam().w_star, 0.0, flutter_group(1)),
                         [&](CaseParameters& cp) { set_typical_section(cp, ref); });
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  ASSERT_TRUE(s.solution.state_space && s.solution.state_space->p.critical) << s.run.console;
  const Crossing& c = *s.solution.state_space->p.critical;
  EXPECT_LT(relative(c.q, ref.q), kStateSpaceTolerance) << c.q << " vs " << ref.q;
  EXPECT_LT(relative(c.f, ref.f), kStateSpaceTolerance) << c.f << " vs " << ref.f;
  EXPECT_LT(s.solution.state_space->model.aero.error, aero::kRogerTargetError);
}

// The default match_tolerance, which the p-k points use as well.
constexpr double kDefaultMatchTolerance = 1e-6;
// A p-k point stops when one substitution step changes k by less than the
// tolerance and the matched point when its residual is below it; both
// contract quickly enough here that the result is within the tolerance
// itself (measured below 0.06 of it).
constexpr double kDefaultToleranceMultiple = 1.0;

TEST_P(TypicalSection, PkAndMatchedPointAtTheDefaultTolerancesAreWithinThemOfTheTightSolution) {
  const std::vector<Section> sections = reference_sections();
  ASSERT_GT(sections.size(), GetParam().section);
  const Section& ref = sections[GetParam().section];
  const auto adjust = [&](CaseParameters& cp) { set_typical_section(cp, ref); };
  const Solved tight = solve(thin_plate_records(GetParam().w_star, 0.0, flutter_group(1, 0.0, 1e-11, 40)), adjust);
  const Solved loose = solve(thin_plate_records(GetParam().w_star, 0.0, flutter_group(1)), adjust);
  ASSERT_EQ(loose.run.status, 0) << loose.run.console;
  ASSERT_EQ(loose.cp.match_tolerance, kDefaultMatchTolerance);
  ASSERT_TRUE(tight.solution.pk && tight.solution.pk->critical) << tight.run.console;
  ASSERT_TRUE(loose.solution.pk && loose.solution.pk->critical) << loose.run.console;
  ASSERT_TRUE(tight.solution.matched && tight.solution.matched->converged()) << tight.run.console;
  ASSERT_TRUE(loose.solution.matched && loose.solution.matched->converged()) << loose.run.console;
  const double bound = kDefaultToleranceMultiple * kDefaultMatchTolerance;
  double worst = 0.0;
  const std::array<std::pair<const Crossing*, const Crossing*>, 2> pairs{
      std::pair{&*loose.solution.pk->critical, &*tight.solution.pk->critical},
      std::pair{&*loose.solution.matched->critical, &*tight.solution.matched->critical}};
  for (const auto& [a, b] : pairs) {
    EXPECT_LT(relative(a->q, b->q), bound) << a->q << " vs " << b->q;
    EXPECT_LT(relative(a->f, b->f), bound) << a->f << " vs " << b->f;
    EXPECT_LT(relative(a->k, b->k), bound) << a->k << " vs " << b->k;
    worst = std::max({worst, relative(a->q, b->q), relative(a->f, b->f), relative(a->k, b->k)});
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2e", worst / kDefaultMatchTolerance);
  RecordProperty("largest_difference_in_tolerances", text);
}

INSTANTIATE_TEST_SUITE_P(Sections, TypicalSection,
                         ::testing::Values(ReferenceCase{0, 0.05}, ReferenceCase{0, 0.6}, ReferenceCase{1, 0.05},
                                           ReferenceCase{1, 0.6}));

// A section with its centre of mass on the axis, given as the section
// group and as today's records: the same matrices, the same solution.
TEST(TypicalSection, WithTheCentreOfMassOnTheAxisTheGroupAndTheRecordsAgree) {
  const Section ref = reference_sections().at(0);
  const SectionInput section{.b = ref.b,
                             .a = ref.a,
                             .r2 = ref.r2,
                             .mu = ref.mu,
                             .sigma = ref.f_h / ref.f_a,
                             .f_theta = ref.f_a,
                             .span = ref.span};
  const auto records = thin_plate_records(0.3, 0.0, flutter_group(1, 0.0, 1e-11, 40));
  const Solved by_records = solve(records, [&](CaseParameters& cp) { set_typical_section(cp, ref); });
  const Solved by_group = solve(records, [&](CaseParameters& cp) {
    set_typical_section(cp, ref);
    cp.section = section;
  });
  ASSERT_EQ(by_group.run.status, 0) << by_group.run.console;
  const StructuralModel a = records_model(by_records.cp);
  const StructuralModel b = section_model(section, ref.rho);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(a.mass[i], b.mass[i], 1e-14 * a.mass[0]) << i;
    EXPECT_NEAR(a.stiffness[i], b.stiffness[i], 1e-14 * a.stiffness[0]) << i;
  }
  EXPECT_EQ(by_group.cp.x_p, by_records.cp.x_p);
  EXPECT_EQ(by_group.cp.x_ref, by_records.cp.x_ref);
  ASSERT_TRUE(by_records.solution.matched && by_records.solution.matched->critical) << by_records.run.console;
  ASSERT_TRUE(by_group.solution.matched && by_group.solution.matched->critical);
  const Crossing& x = *by_records.solution.matched->critical;
  const Crossing& y = *by_group.solution.matched->critical;
  // Both converge to 1e-11 from matrices equal to rounding.
  EXPECT_LT(relative(y.q, x.q), 1e-10);
  EXPECT_LT(relative(y.f, x.f), 1e-10);
  EXPECT_EQ(by_group.solution.sweep.q, by_records.solution.sweep.q);
}

// --- crossings and tracking with external coefficients -------------------

// K = diag(400, 100), M = I and coefficients (QR + i QS) per record.
std::vector<std::string> external_records(std::array<double, 8> q, double f_s, int nstep, int nextra,
                                          const std::vector<std::string>& group = {}) {
  CaseInput c;
  c.marker = '.';
  c.coefficients = q;
  c.f_s = f_s;
  c.sweep = true;
  c.nstep = nstep;
  c.nextra = nextra;
  return case_records(c) + group;
}

// A hump mode: the modes coalesce for 200 < q < 600 (discriminant
// (300 - q)^2 - q^2/4 < 0) and a little damping keeps d > 0 outside.
const std::array<double, 8> kHump{0.0, 0.05, 0.25, 0.0, -0.25, 0.0, 1.0, 0.05};

TEST(FlutterCrossings, FindsTheOnsetAndTheOffsetOfAHumpMode) {
  const Solved s = solve(external_records(kHump, 800.0, 40, 1));
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  const auto& c = s.solution.crossings;
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].kind, CrossingKind::onset);
  EXPECT_EQ(c[1].kind, CrossingKind::offset);
  EXPECT_EQ(c[0].mode, c[1].mode);
  EXPECT_GT(c[0].q, 150.0);
  EXPECT_LT(c[0].q, 250.0);
  EXPECT_GT(c[1].q, 550.0);
  EXPECT_LT(c[1].q, 650.0);
  ASSERT_TRUE(s.solution.critical);
  EXPECT_EQ(s.solution.critical->q, c[0].q);
  // Each refined root is a zero of the tracked mode's d.
  const FlutterSystem system{.mass_inverse = {1, 0, 0, 1}, .stiffness = {400, 0, 0, 100}, .rho = 1.2, .x_ref = 1.0};
  const Matrix2 aero{zcomplex(0, 0.05), zcomplex(-0.25, 0), zcomplex(0.25, 0), zcomplex(1, 0.05)};
  for (const Crossing& x : c) {
    const FlutterStep step = solve_flutter_step(system, aero, x.q);
    const double d = std::min(std::fabs(step.modes[0].d), std::fabs(step.modes[1].d));
    EXPECT_LT(d, 1e-7 * std::fabs(step.modes[0].W)) << x.q;
  }
  // No divergence on the external route.
  EXPECT_FALSE(s.solution.divergence);
}

TEST(FlutterCrossings, CountsACrossingOnASweepStepOnce) {
  const Solved first = solve(external_records(kHump, 800.0, 40, 1));
  ASSERT_TRUE(first.solution.critical);
  const double q_star = first.solution.critical->q;
  const double dq = 20.0;
  // A sweep whose 10th step is the crossing (to rounding).
  const Solved s = solve(external_records(kHump, 800.0, 40, 1), [&](CaseParameters& cp) {
    cp.q_start = q_star - 10.0 * dq;
    cp.f_s = 40.0 * dq;
  });
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  int onsets = 0;
  for (const Crossing& c : s.solution.crossings) onsets += c.kind == CrossingKind::onset ? 1 : 0;
  EXPECT_EQ(onsets, 1);
  ASSERT_TRUE(s.solution.critical);
  EXPECT_LT(relative(s.solution.critical->q, q_star), kRefinedTolerance);
}

TEST(FlutterCrossings, ReportsNoneForAStableSweep) {
  // Damping only: both modes decay at every step.
  const Solved s = solve(external_records({0.0, 0.05, 0.0, 0.0, 0.0, 0.0, 0.0, 0.05}, 800.0, 20, 1));
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  EXPECT_TRUE(s.solution.crossings.empty());
  EXPECT_FALSE(s.solution.critical);
}

TEST(ModeTracking, KeepsEachModeWhereTheTableColumnsSwap) {
  // lambda_2 = 100 + q passes lambda_1 = 400 at q = 300: the larger
  // modulus, the table's column 1, changes mode there.
  const Solved s = solve(external_records({0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0}, 610.0, 20, 1));
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  const double f_stiff = 20.0 / kTwoPi;  // sqrt(400) / 2pi
  int swaps = 0;
  for (std::size_t m = 0; m < 2; ++m) {
    for (std::size_t i = 1; i < s.solution.column[m].size(); ++i) {
      swaps += s.solution.column[m][i] != s.solution.column[m][i - 1] ? 1 : 0;
    }
  }
  EXPECT_EQ(swaps, 2);  // one swap, seen from both modes
  // The mode that starts from sqrt(400) keeps its frequency throughout.
  const std::size_t stiff = std::fabs(s.solution.sweep.modes[0][0]->f - f_stiff) < 1e-9 ? 0 : 1;
  for (const auto& mode : s.solution.sweep.modes[stiff]) EXPECT_NEAR(mode->f, f_stiff, 1e-9);
  EXPECT_NEAR(s.solution.structural_frequencies[stiff], f_stiff, 1e-9);
}

// --- divergence ---------------------------------------------------------

struct DivergenceCase {
  double x_p, mach, K_m;
};

class Divergence : public ::testing::TestWithParam<DivergenceCase> {};

TEST_P(Divergence, AgreesWithItsClosedForm) {
  const DivergenceCase c = GetParam();
  const Solved s = solve(thin_plate_records(0.3, c.mach, {}), [&](CaseParameters& cp) {
    cp.x_p = c.x_p;
    cp.K_m = c.K_m;
  });
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  // det(K + q Qs) = 0 with Qs = [[0, F], [0, -F e]]: the closed form.
  const double F = 2.0 * M_PI * s.cp.aero_scale / std::sqrt(1.0 - c.mach * c.mach);
  const double e = c.x_p - 0.25;
  const double q = (s.cp.K_1 * s.cp.K_2 - c.K_m * c.K_m) / (F * (s.cp.K_1 * e + c.K_m));
  if (q > 0.0 && std::isfinite(q)) {
    ASSERT_TRUE(s.solution.divergence);
    EXPECT_LT(relative(s.solution.divergence->q, q), 1e-12);
    EXPECT_LT(relative(s.solution.divergence->u, std::sqrt(2.0 * q / s.cp.rho)), 1e-12);
  } else {
    EXPECT_FALSE(s.solution.divergence);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Divergence,
                         ::testing::Values(DivergenceCase{0.35, 0.0, 0.0}, DivergenceCase{0.5, 0.05, 0.0},
                                           DivergenceCase{0.4, 0.05, 30.0}, DivergenceCase{0.2, 0.0, 0.0},
                                           DivergenceCase{0.25, 0.0, 0.0}));

// --- the Possio route -----------------------------------------------------

class PossioFlutter : public ::testing::TestWithParam<double> {};

TEST_P(PossioFlutter, PkAndMatchedPointConvergeAndASweepAtTheMatchedFrequencyCrossesThere) {
  const double mach = GetParam();
  const auto adjust = set_bundled_section;
  const Solved s = solve(thin_plate_records(0.3, mach, flutter_group(1, 0.0, 1e-9, 30)), adjust);
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  EXPECT_EQ(s.solution.route, AeroRoute::possio);
  ASSERT_TRUE(s.solution.pk && s.solution.pk->critical) << s.run.console;
  ASSERT_TRUE(s.solution.matched && s.solution.matched->converged()) << s.run.console;
  const Crossing matched = *s.solution.matched->critical;
  // The p-k point on the interpolated coefficients is close to the matched one.
  EXPECT_LT(relative(s.solution.pk->critical->q, matched.q), 1e-3);
  // One solve per grid point, per iteration of the matched point and per
  // sample of the state-space fit outside the grid.
  EXPECT_EQ(s.solution.possio_solves,
            static_cast<long>(s.solution.grid_points + s.solution.matched->iterations.size()) +
                s.solution.state_space_solves);
  // The state-space model's flutter point is the matched one: the fit's
  // error over k 0.02 to twice the flutter k (8e-5 at Ma 0.5, 1e-3 at Ma
  // 0.7) moves it by 3.0e-4 and 4.8e-4 (measured).
  constexpr double kStateSpaceTolerance = 1e-3;
  ASSERT_TRUE(s.solution.state_space && s.solution.state_space->p.critical) << s.run.console;
  EXPECT_LT(relative(s.solution.state_space->p.critical->q, matched.q), kStateSpaceTolerance);
  // The run keeps its own coefficients, w_star and Ma: those of a run
  // without the p-k analysis.
  const Solved base = solve(thin_plate_records(0.3, mach, {}), adjust);
  EXPECT_EQ(s.cp.w_star, base.cp.w_star);
  EXPECT_EQ(s.cp.Ma, base.cp.Ma);
  for (const auto member :
       {&CaseParameters::QR11, &CaseParameters::QS11, &CaseParameters::QR12, &CaseParameters::QS12,
        &CaseParameters::QR21, &CaseParameters::QS21, &CaseParameters::QR22, &CaseParameters::QS22}) {
    EXPECT_EQ(s.cp.*member, base.cp.*member);
  }
  EXPECT_EQ(s.files, base.files);
  // A plain sweep with w_star = k_F crosses d = 0 at the matched q.
  const Solved plain = solve(thin_plate_records(0.3, mach, {}), [&](CaseParameters& cp) {
    adjust(cp);
    cp.w_star = s.solution.matched->iterations.back().w_star;
  });
  ASSERT_TRUE(plain.solution.critical);
  EXPECT_LT(relative(plain.solution.critical->q, matched.q), kRefinedTolerance);
  EXPECT_LT(relative(plain.solution.critical->k, plain.cp.w_star), 1e-9 * 10);
}

INSTANTIATE_TEST_SUITE_P(Mach, PossioFlutter, ::testing::Values(0.5, 0.7));

// --- Mach matching and the stops of the matched point --------------------

TEST(MachMatching, ConvergesToTheMachNumberOfTheFlutterSpeed) {
  // A fictitious speed of sound that puts the flutter speed near Ma 0.3.
  const double sound_speed = 50.0;
  const Solved s = solve(thin_plate_records(0.3, 0.05, flutter_group(2, sound_speed, 1e-10, 40)), set_bundled_section);
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  ASSERT_TRUE(s.solution.matched && s.solution.matched->critical) << s.run.console;
  EXPECT_TRUE(s.solution.matched->converged()) << s.run.console;
  EXPECT_TRUE(s.solution.matched->mach_matched);
  const Crossing& c = *s.solution.matched->critical;
  EXPECT_LT(relative(s.solution.matched->Ma, c.u / sound_speed), 1e-9);
  EXPECT_LT(relative(c.k, s.solution.matched->iterations.back().w_star), 1e-9);
}

// --- the input group ----------------------------------------------------

struct GroupCase {
  std::string label;
  std::vector<std::string> group;
  std::string message;
};

class FlutterGroup : public ::testing::TestWithParam<GroupCase> {};

TEST_P(FlutterGroup, StopsAtStartUpNamingTheRecordAndWritesNoFile) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  write_file("case.inp", join(thin_plate_records(0.3, 0.05, GetParam().group)));
  const RunResult r = run_program({"lnx", "case.inp"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.console.find("!!! Input error: "), std::string::npos) << r.console;
  EXPECT_NE(r.console.find(GetParam().message), std::string::npos) << r.console;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

INSTANTIATE_TEST_SUITE_P(
    BadValues, FlutterGroup,
    ::testing::Values(GroupCase{"MethodOutside", flutter_group(3),
                                "file \"case.inp\", line 32, columns 1-10 (flutter record 1 (flutter_method)): "
                                "flutter_method must be 0, 1 or 2."},
                      GroupCase{"NegativeMethod", flutter_group(-1),
                                "file \"case.inp\", line 32, columns 1-10 (flutter record 1 (flutter_method))"},
                      GroupCase{"MachMatchingWithoutSoundSpeed", flutter_group(2),
                                "file \"case.inp\", line 33, columns 1-10 (flutter record 2 (sound_speed)): "
                                "flutter_method 2 needs a positive "
                                "sound_speed."},
                      GroupCase{"NegativeTolerance", flutter_group(1, 0.0, -1e-6),
                                "file \"case.inp\", line 34, columns 1-10 (flutter record 3 (match_tolerance)): the "
                                "value must not be negative."},
                      GroupCase{"NegativeIterationLimit", flutter_group(1, 0.0, 0.0, -1),
                                "file \"case.inp\", line 35, columns 1-10 (flutter record 4 (match_iterations)): the "
                                "value must not be negative."},
                      GroupCase{"MissingRecord",
                                {".", right("1")},
                                "the file \"case.inp\" ends after line 32, but flutter record 2 (sound_speed)"}),
    ByLabel{});

TEST(FlutterGroup, TakesTheDefaultsForZeroAndBlankFields) {
  const CaseParameters cp = read_text(join(thin_plate_records(0.3, 0.05, {".", "", "", "", ""})));
  EXPECT_TRUE(cp.flutter_group);
  EXPECT_EQ(cp.flutter_method, 0);
  EXPECT_EQ(cp.match_tolerance, 1e-6);
  EXPECT_EQ(cp.match_iterations, 30);
  const CaseParameters absent = read_text(join(thin_plate_records(0.3, 0.05, {})));
  EXPECT_FALSE(absent.flutter_group);
}

// --- the files ------------------------------------------------------------

TEST(FlutterFiles, HoldSevenBlocksAndTheJsonKeysWithNullsWhereNothingExists) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  write_file("case.inp", join(external_records(kHump, 800.0, 40, 1, flutter_group(0))));
  const RunResult r = run_program({"lnx", "case.inp"});
  ASSERT_EQ(r.status, 0) << r.console;
  // The summary appears with the group, before the structural modes.
  const std::size_t summary = r.console.find(" *** Flutter solution (external):");
  ASSERT_NE(summary, std::string::npos);
  EXPECT_LT(summary, r.console.find(" Eigenvalues and eigenvectors (only structural part):"));

  const std::string dat = read_file("zelvan_flutter.dat");
  // Seven blocks: six separators of two blank lines.
  std::size_t separators = 0;
  for (std::size_t at = dat.find("\n\n\n"); at != std::string::npos; at = dat.find("\n\n\n", at + 3)) ++separators;
  EXPECT_EQ(separators, 6u);
  // Every line that is not a row of numbers is a comment.
  std::istringstream lines(dat);
  std::string line;
  int rows = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    ++rows;
  }
  EXPECT_EQ(rows, 42 + 2);  // the sweep's steps and its two crossings

  std::ifstream in("zelvan_flutter.json");
  const nlohmann::json j = nlohmann::json::parse(in);
  EXPECT_EQ(j["route"], "external");
  EXPECT_EQ(j["sweep"]["q"].size(), 42u);
  EXPECT_EQ(j["sweep"]["modes"].size(), 2u);
  EXPECT_EQ(j["crossings"].size(), 2u);
  EXPECT_EQ(j["critical"]["kind"], "flutter onset");
  EXPECT_TRUE(j["divergence"].is_null());
  EXPECT_TRUE(j["pk"].is_null());
  EXPECT_TRUE(j["matched"].is_null());
  EXPECT_TRUE(j["state_space"].is_null());
}

TEST(FlutterFiles, WriteATitleThatIsNotUtf8AsValidJson) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  std::vector<std::string> records = external_records(kHump, 800.0, 20, 1);
  records[0] = place(records[0], 31, "Fl\xfcgel \xe9t\xe9");  // Latin-1 bytes
  write_file("case.inp", join(records));
  const RunResult r = run_program({"lnx", "case.inp"});
  ASSERT_EQ(r.status, 0) << r.console;
  std::ifstream in("zelvan_flutter.json");
  const nlohmann::json j = nlohmann::json::parse(in);
  EXPECT_TRUE(j["title"].get<std::string>().starts_with("Fl\uFFFDgel \uFFFDt\uFFFD")) << j["title"];
}

TEST(FlutterFiles, AnalyseOnlyTheKeptStepsOfAVeryLongSweep) {
  const Solved s = solve(external_records(kHump, 800.0, 100000, 5));
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  EXPECT_TRUE(s.solution.truncated);
  EXPECT_EQ(s.solution.sweep.q.size(), kMaxKeptSteps);
  EXPECT_EQ(sweep_results().steps.size(), kMaxKeptSteps);
}

// The flutter diagram names the route and its Mach number, and marks the
// p-k critical point even when the matched point stopped unconverged
// (whose last iterate it does not mark).
TEST(FlutterFigure, MarksThePkCriticalPointAlsoWhenTheMatchedPointDidNotConverge) {
  const Solved s = solve(thin_plate_records(0.3, 0.05, flutter_group(1, 0.0, 1e-30, 1)), set_bundled_section);
  ASSERT_EQ(s.run.status, 0) << s.run.console;
  ASSERT_TRUE(s.solution.pk && s.solution.pk->critical) << s.run.console;
  ASSERT_TRUE(s.solution.matched && !s.solution.matched->converged()) << s.run.console;
  const plot::FigureScript f = figures_of_run(s.cp, model(), spectrum(), s.solution, std::nullopt);
  EXPECT_EQ(f.route, "thin plate");
  EXPECT_EQ(f.route_mach, 0.05);
  ASSERT_TRUE(f.pk_critical);
  EXPECT_EQ(f.pk_critical->q, s.solution.pk->critical->q);
  EXPECT_EQ(f.pk_critical->k, s.solution.pk->critical->k);
  EXPECT_FALSE(f.matched);
}

TEST(FlutterFiles, AreNotWrittenWithoutTheFlutterTable) {
  const Solved s = solve(external_records(kHump, 800.0, 0, 1));
  EXPECT_EQ(s.run.status, 0) << s.run.console;
  EXPECT_FALSE(s.solution.analysed);
  EXPECT_FALSE(flutter_marks(s.solution).flutter_file_written);
}

}  // namespace
}  // namespace zelvan::driver
