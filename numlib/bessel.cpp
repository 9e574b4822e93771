#include "numlib/bessel.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "numlib/detail/bessel_internal.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/machine.hpp"

namespace zelvan::numlib {
namespace {

namespace s = bessel_series;

constexpr double kTwoOverPi = 2.0 / std::numbers::pi;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kPiOver4 = std::numbers::pi / 4.0;

// Accuracy asked of every series: a tenth of the smallest relative spacing,
// held in single precision like the tail sums of INITDS.
float series_accuracy() { return static_cast<float>(0.1 * DMACH(3)); }

// Below this |x| the series for x <= 4 reduce to their leading terms.
double small_argument() { return std::sqrt(4.0 * DMACH(3)); }

template <std::size_t N>
int term_count(const std::array<double, N>& table) {
  return INITDS(table.data(), static_cast<int>(N), series_accuracy());
}

template <std::size_t N>
double series(double x, const std::array<double, N>& table, int n) {
  return DCSEVL(x, table.data(), n);
}

// Term counts and limits of one modulus-and-phase routine.
struct AsymptoticSetup {
  int modulus_near, phase_near;  // 4 <= x <= 8
  int modulus_far, phase_far;    // x > 8
  double xmax;
};

// Shared body of D9B0MP and D9B1MP; `shift` is (2 order + 1) pi/4.
template <std::size_t M1, std::size_t P1, std::size_t M2, std::size_t P2>
void modulus_and_phase(const char* name, const AsymptoticSetup& setup, const std::array<double, M1>& modulus_near,
                       const std::array<double, P1>& phase_near, const std::array<double, M2>& modulus_far,
                       const std::array<double, P2>& phase_far, double shift, double x, double& ampl, double& theta) {
  E1PSH(name);
  double modulus = 0.0, phase = 0.0;
  if (x < 4.0) {
    E1STD(1, x);
    E1MES(ErrorType::terminal, 1, msg::kBesselAsymptoticArgument);
    E1POP(name);
    return;
  }
  if (x <= 8.0) {
    const double z = (128.0 / (x * x) - 5.0) / 3.0;
    modulus = series(z, modulus_near, setup.modulus_near);
    phase = series(z, phase_near, setup.phase_near);
  } else {
    if (x > setup.xmax) {
      E1STD(1, x);
      E1STD(2, setup.xmax);
      E1MES(ErrorType::fatal, 2, msg::kBesselPrecisionLost);
      E1POP(name);
      return;
    }
    const double z = 128.0 / (x * x) - 1.0;
    modulus = series(z, modulus_far, setup.modulus_far);
    phase = series(z, phase_far, setup.phase_far);
  }
  ampl = (0.75 + modulus) / std::sqrt(x);
  theta = x - shift + phase / x;
  E1POP(name);
}

// True when the routine called last ended in a fatal or terminal error, so
// the caller keeps its DMACH(6) result.
bool callee_failed() {
  return N1RTY(1) == type_number(ErrorType::fatal) || N1RTY(1) == type_number(ErrorType::terminal);
}

}  // namespace

double DCSEVL(double x, const double* cs, int n) {
  E1PSH("DCSEVL");
  double value = DMACH(6);
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kDcsevlTermsPositive);
  } else if (n > 1000) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 2, msg::kDcsevlTermsMaximum);
  } else if (x < -1.1 || x > 1.1) {
    E1STD(1, x);
    E1MES(ErrorType::immediate_fatal, 3, msg::kDcsevlArgument);
  } else {
    const double twox = 2.0 * x;
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    for (int i = n - 1; i >= 0; --i) {
      b2 = b1;
      b1 = b0;
      b0 = twox * b1 - b2 + cs[i];
    }
    value = 0.5 * (b0 - b2);
  }
  E1POP("DCSEVL");
  return value;
}

int INITDS(const double* os, int nos, float eta) {
  E1PSH("INITDS");
  if (nos < 1) {
    E1STI(1, nos);
    E1MES(ErrorType::terminal, 5, msg::kInitdsCount);
    E1POP("INITDS");
    return 1;
  }
  // The count is 1 when even the whole sum stays at or below eta.
  int i = 1;
  float err = 0.0f;
  for (int ii = 1; ii <= nos; ++ii) {
    i = nos + 1 - ii;
    err += std::fabs(static_cast<float>(os[i - 1]));
    if (err > eta) {
      if (ii == 1) E1MES(ErrorType::terminal, 6, msg::kInitdsAccuracy);
      break;
    }
  }
  E1POP("INITDS");
  return i;
}

void D9B0MP(double x, double& ampl, double& theta) {
  static const AsymptoticSetup setup = {term_count(s::BM0CS), term_count(s::BT02CS), term_count(s::BM02CS),
                                        term_count(s::BTH0CS), 1.0 / DMACH(4)};
  modulus_and_phase("D9B0MP", setup, s::BM0CS, s::BT02CS, s::BM02CS, s::BTH0CS, kPiOver4, x, ampl, theta);
}

void D9B1MP(double x, double& ampl, double& theta) {
  static const AsymptoticSetup setup = {term_count(s::BM1CS), term_count(s::BT12CS), term_count(s::BM12CS),
                                        term_count(s::BTH1CS), 1.0 / DMACH(4)};
  modulus_and_phase("D9B1MP", setup, s::BM1CS, s::BT12CS, s::BM12CS, s::BTH1CS, 3.0 * kPiOver4, x, ampl, theta);
}

double DBSJ0(double x) {
  E1PSH("DBSJ0");
  static const int ntj0 = term_count(s::BJ0CS);
  static const double xsml = small_argument();
  double value = DMACH(6);
  const double y = std::fabs(x);
  if (y <= 4.0) {
    value = y <= xsml ? 1.0 : series(0.125 * y * y - 1.0, s::BJ0CS, ntj0);
  } else {
    double ampl = 0.0, theta = 0.0;
    D9B0MP(y, ampl, theta);
    if (!callee_failed()) value = ampl * std::cos(theta);
  }
  E1POP("DBSJ0");
  return value;
}

double DBSJ1(double x) {
  E1PSH("DBSJ1");
  static const int ntj1 = term_count(s::BJ1CS);
  static const double xsml = small_argument();
  static const double xmin = 2.0 * DMACH(1);
  double value = DMACH(6);
  const double y = std::fabs(x);
  if (y <= 4.0) {
    if (y > xsml) {
      value = x * (0.25 + series(0.125 * y * y - 1.0, s::BJ1CS, ntj1));
    } else if (y == 0.0 || y >= xmin) {
      value = 0.5 * x;
    } else {
      value = 0.0;
      E1STD(1, x);
      E1STD(2, xmin);
      E1MES(ErrorType::alert, 1, msg::kBesselUnderflow);
    }
  } else {
    double ampl = 0.0, theta = 0.0;
    D9B1MP(y, ampl, theta);
    if (!callee_failed()) value = (x < 0.0 ? -ampl : ampl) * std::cos(theta);
  }
  E1POP("DBSJ1");
  return value;
}

double DBSY0(double x) {
  E1PSH("DBSY0");
  static const int nty0 = term_count(s::BY0CS);
  static const double xsml = small_argument();
  double value = DMACH(6);
  if (x <= 0.0) {
    E1STD(1, x);
    E1MES(ErrorType::terminal, 1, msg::kBesselPositive);
  } else if (x <= 4.0) {
    const double y = x > xsml ? x * x : 0.0;
    value = kTwoOverPi * (std::log(x) - kLn2) * DBSJ0(x) + 0.375 + series(0.125 * y - 1.0, s::BY0CS, nty0);
  } else {
    double ampl = 0.0, theta = 0.0;
    D9B0MP(x, ampl, theta);
    if (!callee_failed()) value = ampl * std::sin(theta);
  }
  E1POP("DBSY0");
  return value;
}

double DBSY1(double x) {
  E1PSH("DBSY1");
  static const int nty1 = term_count(s::BY1CS);
  static const double xsml = small_argument();
  // Y1(x) ~ -2/(pi x): the smallest x whose result stays in range, with a
  // margin, from whichever of the two extreme magnitudes is the tighter.
  static const double xmin = 1.571 * std::exp(std::max(std::log(DMACH(1)), -std::log(DMACH(2))) + 0.01);
  double value = DMACH(6);
  if (x <= 0.0) {
    E1STD(1, x);
    E1MES(ErrorType::terminal, 1, msg::kBesselPositive);
  } else if (x < xmin) {
    E1STD(1, x);
    E1STD(2, xmin);
    E1MES(ErrorType::terminal, 4, msg::kBesselOverflow);
  } else if (x <= 4.0) {
    const double y = x > xsml ? x * x : 0.0;
    value = kTwoOverPi * (std::log(x) - kLn2) * DBSJ1(x) + (0.5 + series(0.125 * y - 1.0, s::BY1CS, nty1)) / x;
  } else {
    double ampl = 0.0, theta = 0.0;
    D9B1MP(x, ampl, theta);
    if (!callee_failed()) value = ampl * std::sin(theta);
  }
  E1POP("DBSY1");
  return value;
}

}  // namespace zelvan::numlib
