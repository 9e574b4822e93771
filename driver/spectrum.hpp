// Fourier analysis of the displacement histories and the detection of
// strong coupling of the two degrees of freedom.
#pragma once

#include <array>

#include "driver/case_parameters.hpp"
#include "driver/time_history.hpp"

namespace zelvan::driver {

// Spectral line k = 1 .. npoints stored at index k - 1.
struct Spectrum {
  std::array<double, istore> FouF{};    // Hz, frequency of line k
  std::array<double, istore> FouCY3{};  // transform coefficients of Y3 (packed)
  std::array<double, istore> FouPY3{};  // normalised power of Y3 in line k
  std::array<double, istore> FouCY4{};  // the same for Y4
  std::array<double, istore> FouPY4{};
  int k_peak_1 = 1, k_peak_2 = 1;   // dominant lines of Y3 and Y4 (1: none)
  bool strong_coupling = false;     // this analysis detected strong coupling
  double coupling_frequency = 0.0;  // Hz, of the most recent detection; 0 if none
  double amplitude_ratio = 0.0;
  double phase_difference = 0.0;  // degrees in [0, 360)
};

Spectrum& spectrum();

// After each run of the time history `h` of the case `cp`: the spectra of
// both displacements (the lines beyond the analysed half zero), the peaks
// and the coupling report.  `earlier_coupling` [Hz] is the coupling
// frequency of an earlier analysis of the run (0: none), kept when this
// one detects no strong coupling.  A signal with no positive power in any
// line above the mean (a zero history, or fewer than three samples) has no
// peak: its normalised spectrum is zero, its peak line is 1, and the
// no-coupling report is printed.
Spectrum analyse_response(const CaseParameters& cp, const TimeHistory& h, double earlier_coupling = 0.0);

// The second run of the time history at the coupling frequency f [Hz]:
// the reference frequency of the aerodynamic damping terms becomes f, and
// the console says so.
void refer_damping_to_coupling_frequency(CaseParameters& cp, double f);

// Once, after the last run: the operating point and the aerodynamic
// matrices as applied.
void report_operating_point(const CaseParameters& cp, const Spectrum& s);

}  // namespace zelvan::driver
