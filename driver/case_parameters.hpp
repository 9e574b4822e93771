// CaseParameters: the whole case description, read once from the input
// file, with the start-up values and the quantities derived by the later
// steps of the run.  Units are SI; angles are in degrees as read.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "driver/constants.hpp"

namespace zelvan::driver {

// Largest number of time points of the time history.
inline constexpr int istore = 10001;

// The optional typical-section group (fourth marker): a flat-plate section
// in the terms of the classical texts, from which the structural model and
// the aerodynamic scaling are built.  Plunge h positive down, pitch theta
// positive nose up about the axis.
struct SectionInput {
  double b = 0.0;           // m, half chord
  double a = 0.0;           // pitch axis, half chords aft of mid-chord
  double x_theta = 0.0;     // centre of mass, half chords aft of the axis
  double r2 = 0.0;          // squared radius of gyration about the axis, in b^2
  double mu = 0.0;          // mass ratio m/(pi rho b^2), rho of the sweep group
  double sigma = 0.0;       // omega_h/omega_theta
  double f_theta = 0.0;     // Hz, uncoupled pitch frequency omega_theta/2pi
  double span = 1.0;        // m, span s of the section
  double zeta_h = 0.0;      // plunge damping ratio (time history)
  double zeta_theta = 0.0;  // pitch damping ratio (time history)
};

// The optional nonlinear-spring group (fifth marker, after the section
// group): the springs' nonlinearity in the program's coordinates (y = h/b,
// theta in rad) and the limit-cycle sweep over V = U/(b omega_theta).  A
// spring has a cubic term or freeplay, not both.
struct NonlinearSpringsInput {
  double cubic_h = 0.0;         // plunge force K (y + cubic_h y^3)
  double freeplay_h = 0.0;      // plunge freeplay half-width (h/b)
  double cubic_theta = 0.0;     // pitch moment K (theta + cubic_theta theta^3)
  double freeplay_theta = 0.0;  // rad, pitch freeplay half-width
  double lco_V_start = 0.0;     // first speed of the sweep
  double lco_V_end = 0.0;       // last speed
  int lco_count = 20;           // speeds, 2 to 1000
  double lco_theta0 = 0.01;     // rad, initial pitch disturbance of each march
};

struct CaseParameters {
  // --- input quantities, in the order of the input file ---
  double t_A = 0.0;                                            // s, start time of the time history
  std::string title = std::string(40, ' ');                    // case title, 40 characters
  double t_E = 0.0;                                            // s, end time
  int npoints = 0;                                             // time points, at most istore
  std::array<double, 4> y0{};                                  // m/s, m/s, m, m: initial velocities and displacements
  double M_1 = 0.0;                                            // kg, mass of DOF 1 (after mass_scale)
  double M_2 = 0.0;                                            // kg, mass of DOF 2 (after mass_scale)
  double S_m = 0.0;                                            // kg, mass coupling (after mass_scale)
  double mass_scale = 1.0;                                     // factor on M_1, M_2, S_m
  double D_1 = 0.0;                                            // kg/s, damping of DOF 1
  double D_2 = 0.0;                                            // kg/s, damping of DOF 2
  double K_1 = 0.0;                                            // kg/s^2, stiffness of DOF 1
  double K_m = 0.0;                                            // kg/s^2, stiffness coupling
  double K_2 = 0.0;                                            // kg/s^2, stiffness of DOF 2
  double kappa = 0.0;                                          // kg/s^2, coupling spring of the time history
  double a_0 = 0.0;                                            // N, amplitude of the harmonic force
  double f_0 = 0.0;                                            // Hz, frequency of the harmonic force
  double phi = 0.0;                                            // deg, phase of the harmonic force
  double tolerance = 0.0;                                      // integrator error tolerance
  int integ_method = 0;                                        // integrator method code
  int listing_unit = 0;                                        // results listing channel; <= 0: none
  double f_s = 0.0;                                            // N/m^2, operating dynamic pressure
  double w_star = 0.0;                                         // reduced frequency; 0: external coefficients
  double x_p = 0.0;                                            // pitch axis, chord fraction from the leading edge
  double Ma = 0.0;                                             // Mach number
  double aero_scale = 0.0;                                     // factor on computed aerodynamic coefficients
  double QR11 = 0.0, QS11 = 0.0, QR12 = 0.0, QS12 = 0.0;       // aerodynamic coefficients,
  double QR21 = 0.0, QS21 = 0.0, QR22 = 0.0, QS22 = 0.0;       // real (QR) and imaginary (QS)
  double x_ref = kSweepDefaults.x_ref;                         // m, reference length
  double rho = kSweepDefaults.rho;                             // kg/m^3, air density
  double q_start = kSweepDefaults.q_start;                     // N/m^2, start of the dynamic-pressure sweep
  int nstep = kSweepDefaults.nstep;                            // parts of f_s per sweep step
  int nextra = kSweepDefaults.nextra;                          // additional sweep steps
  int coupling_tolerance = kSweepDefaults.coupling_tolerance;  // spectral lines for strong coupling
  // Optional flutter-solution group (third marker).
  bool flutter_group = false;     // the group is present
  int flutter_method = 0;         // 0 sweep analysis, 1 also p-k and matched point, 2 as 1 with Ma matched
  double sound_speed = 0.0;       // m/s, speed of sound (method 2)
  double match_tolerance = 1e-6;  // relative tolerance on k (and Ma)
  int match_iterations = 30;      // iteration limit of the matched point
  // Optional typical-section group (fourth marker); absent: the structure
  // comes from records 8-14 and the aerodynamic record.
  std::optional<SectionInput> section;
  // Optional nonlinear-spring group (fifth marker); absent: linear springs
  // and no limit-cycle sweep.
  std::optional<NonlinearSpringsInput> nonlinear;

  // --- start-up values ---
  std::string input_file;                 // the input file name as given, whole
  std::string sys = std::string(3, ' ');  // operating-system option as given
  bool is_win = false, is_sgi = false, is_lnx = false, is_unix = false;
  double deg2rad = 0.0;  // 2*pi/360
  double phi_rad = 0.0;  // phi in radians

  // --- derived by later steps ---
  double f_0_1 = 0.0, f_0_2 = 0.0;              // Hz, coupled structural frequencies
  double inv_omega_1 = 0.0, inv_omega_2 = 0.0;  // s, reciprocal reference circular frequencies

  // The input file name.
  std::string input_file_name() const;
};

// The record of the run (run_context().case_parameters).
CaseParameters& case_parameters();

}  // namespace zelvan::driver
