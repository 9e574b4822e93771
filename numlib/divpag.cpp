#include "numlib/divpag.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "numlib/detail/blas.hpp"
#include "numlib/detail/divpag_coefficients.hpp"
#include "numlib/detail/divpag_norm.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/dlftds.hpp"
#include "numlib/dlinrg.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"
#include "numlib/machine.hpp"

namespace zelvan::numlib {
namespace {

// ---- options and constants of the step and order control ----

constexpr double kDefaultMaxSteps = 500.0;
constexpr double kDefaultInitialFraction = 0.001;  // initial step, of XEND - X
constexpr double kDefaultWeightFloor = 1.0;
// Step ratios allowed at one change: the first change after the start may
// grow the (deliberately small) initial step a great deal.
constexpr double kFirstGrowthLimit = 1.0e4;
constexpr double kGrowthLimit = 10.0;
constexpr double kKeepStepRatio = 1.1;  // smaller ratios leave the step alone
// Bias constants of the three candidate ratios (order down, same, up).
constexpr double kBiasDown = 1.3, kBiasSame = 1.2, kBiasUp = 1.4;
constexpr double kBiasDownAdd = 1.3e-6, kBiasSameAdd = 1.2e-6, kBiasUpAdd = 1.4e-6;
// Failure handling.
constexpr double kConvergenceFailureRatio = 0.25;
constexpr double kRepeatedFailureRatio = 0.1;
constexpr double kErrorFailureRatioLimit = 0.9;
constexpr int kErrorFailuresBeforeRestart = 3;
constexpr double kTotalReductionLimit = 1.0e10;
constexpr double kMinStepMargin = 1.00001;
// Corrector.
constexpr int kMaxCorrections = 3;
constexpr double kRateDecay = 0.9;
constexpr double kRateStart = 0.7;
constexpr double kDivergence = 2.0;
// Iteration matrix: formed again when H*beta has changed by more than this
// (relative) and the Jacobian re-evaluated after this many steps.
constexpr double kMatrixChange = 0.3;
constexpr int kJacobianMaxAge = 50;
constexpr double kJacobianIncrementFloor = 1000.0;
// An iteration matrix of the symmetric kinds whose mirrored entries differ
// by more than this (relative) is factored by LU (docs: MTYPE = 2).
constexpr double kSymmetryLimit = 1.0e-6;

// PARAM entries (1-based, as in the messages).
enum Param : int {
  kInitialStep = 1,
  kMinStep = 2,
  kMaxStep = 3,
  kMaxSteps = 4,
  kMaxFcn = 5,
  kMaxOrder = 6,
  kInterrupt1 = 7,
  kInterrupt2 = 8,
  kInorm = 10,
  kFloor = 11,
  kMeth = 12,
  kMiter = 13,
  kMtype = 14,
  kNlc = 15,
  kNuc = 16,
  kIncrement = 18,
  kIatype = 19,
  kLda = 20,
  kOutStep = 31,
  kOutLastStep = 32,
  kOutInitialStep = 33,
  kOutSteps = 34,
  kOutFcn = 35,
  kOutJac = 36,
};
inline double& p(double* param, int k) { return param[k - 1]; }
inline double p(const double* param, int k) { return param[k - 1]; }

struct Options {
  double initial_step = 0.0;  // 0: the default fraction of XEND - X
  double hmin = 0.0;
  double hmax = 0.0;
  long max_steps = 0;
  long max_fcn = 0;  // 0: not limited
  int max_order = 0;
  bool interrupt1 = false;
  bool interrupt2 = false;
  int inorm = 0;
  double floor = kDefaultWeightFloor;
  int meth = 1;
  int miter = 0;
  int mtype = 0;
  int nlc = 0;
  int nuc = 0;
  double increment = 0.0;
  int iatype = 0;
  int lda = 0;
};

}  // namespace

// The integrator's part of the library state.
struct DivpagState {
  bool initialized = false;
  int neq = 0;
  Options opt;
  // Method.
  int q = 1;
  DivpagFormula formula;
  double h = 0.0;       // step of the next attempt (0: not chosen yet)
  double tn = 0.0;      // x of the history array
  double hused = 0.0;   // last step taken
  double hfirst = 0.0;  // initial step
  int qused = 0;
  int idoub = 2;  // steps left before the next step/order decision
  double growth_limit = kFirstGrowthLimit;
  bool prev_valid = false;  // acor_prev holds the correction of the previous step
  double prev_h = 0.0;
  int prev_q = 0;
  // Corrector and iteration matrix.
  double rate = kRateStart;
  bool have_matrix = false;
  bool have_jacobian = false;
  bool jacobian_current = false;  // evaluated during the present step attempt
  bool force_jacobian = false;
  int jacobian_age = 0;
  double hb_matrix = 0.0;
  bool matrix_is_lu = true;
  // Protocol.
  double x_returned = 0.0;
  double xend_last = 0.0;
  bool skip_interrupt1 = false;
  // Counters.
  long nsteps = 0;
  long nfcn = 0;
  long njac = 0;
  long lu_count = 0;
  long cholesky_count = 0;
  // Workspace.
  std::vector<double> z, zsave;  // history array, columns 0..max_order
  std::vector<double> acor, acor_prev, y, f, tmp, tmp2, winv, ymax, yp0;
  std::vector<double> a_full, a_fac, jac, pmat, diag, pdiag;  // diag: df_i/dy_i, pdiag: 1/P_ii
  std::vector<int> a_ipvt, ipvt;
};

void LibraryPartDeleter::operator()(DivpagState* part) const noexcept { delete part; }

namespace {

using State = DivpagState;

State& state() {
  LibraryPart<DivpagState>& part = library_state().divpag;
  if (!part) part.reset(new DivpagState);
  return *part;
}

inline std::size_t sz(long v) { return static_cast<std::size_t>(v); }
inline double* column(std::vector<double>& v, int n, int j) { return v.data() + sz(j) * sz(n); }

// ---- option reading ----

// The options from PARAM with their defaults; the values are assumed to
// have passed the checks.
Options read_options(const double* param, int neq) {
  Options o;
  o.initial_step = std::fabs(p(param, kInitialStep));
  o.hmin = p(param, kMinStep);
  o.hmax = p(param, kMaxStep) > 0.0 ? p(param, kMaxStep) : DMACH(2);
  o.max_steps =
      p(param, kMaxSteps) > 0.0 ? static_cast<long>(p(param, kMaxSteps)) : static_cast<long>(kDefaultMaxSteps);
  o.max_fcn = static_cast<long>(p(param, kMaxFcn));
  o.meth = p(param, kMeth) == 2.0 ? 2 : 1;
  const int method_limit = divpag_method_max_order(o.meth);
  const int requested = static_cast<int>(std::min(p(param, kMaxOrder), 1.0e6));
  o.max_order = requested > 0 ? std::min(requested, method_limit) : method_limit;
  o.interrupt1 = p(param, kInterrupt1) > 0.0;
  o.interrupt2 = p(param, kInterrupt2) > 0.0;
  o.inorm = static_cast<int>(p(param, kInorm));
  o.floor = p(param, kFloor) > 0.0 ? p(param, kFloor) : kDefaultWeightFloor;
  o.miter = static_cast<int>(p(param, kMiter));
  o.mtype = static_cast<int>(p(param, kMtype));
  o.nlc = static_cast<int>(p(param, kNlc));
  o.nuc = static_cast<int>(p(param, kNuc));
  o.increment = p(param, kIncrement) > 0.0 ? p(param, kIncrement) : std::sqrt(DMACH(4));
  o.iatype = static_cast<int>(p(param, kIatype));
  if (p(param, kLda) > 0.0) {
    o.lda = static_cast<int>(std::min(p(param, kLda), 2.0e9));
  } else if (o.mtype == 1) {
    o.lda = o.nlc + o.nuc + 1;
  } else if (o.mtype == 3) {
    o.lda = o.nuc + 1;
  } else {
    o.lda = neq;
  }
  return o;
}

// Checks of the options read at IDO = 1 that DIVPAG leaves to the body.
// Returns false after a terminal error.
bool check_options(const double* param, int neq) {
  const double miter = p(param, kMiter), mtype = p(param, kMtype), iatype = p(param, kIatype);
  if (miter >= 4.0 || mtype >= 4.0) {
    const int k = miter >= 4.0 ? kMiter : kMtype;
    E1STI(1, k);
    E1STD(1, p(param, k));
    E1MES(ErrorType::terminal, 5, msg::kDivpagMiterMtype);
  } else if (p(param, kInorm) >= 4.0) {
    E1STD(1, p(param, kInorm));
    E1MES(ErrorType::terminal, 6, msg::kDivpagInorm);
  } else if (iatype >= 3.0) {
    E1STD(1, iatype);
    E1MES(ErrorType::terminal, 7, msg::kDivpagIatype);
  } else if (static_cast<int>(miter) == 0 && (static_cast<int>(mtype) != 0 || static_cast<int>(iatype) != 0)) {
    E1STD(1, miter);
    E1STD(2, mtype);
    E1STD(3, iatype);
    E1MES(ErrorType::terminal, 17, msg::kDivpagMiter0);
  } else if (static_cast<int>(miter) == 3 && (static_cast<int>(mtype) != 0 || static_cast<int>(iatype) != 0)) {
    E1STD(1, miter);
    E1STD(2, mtype);
    E1STD(3, iatype);
    E1MES(ErrorType::terminal, 18, msg::kDivpagMiter3);
  } else {
    const Options o = read_options(param, neq);
    const bool banded = o.mtype == 1 || o.mtype == 3;
    if (banded && p(param, kNlc) >= neq) {
      E1STD(1, p(param, kNlc));
      E1MES(ErrorType::terminal, 9, msg::kDivpagNlc);
    } else if (banded && p(param, kNuc) >= neq) {
      E1STD(1, p(param, kNuc));
      E1MES(ErrorType::terminal, 10, msg::kDivpagNuc);
    } else if (o.iatype != 0 && !banded && neq > o.lda) {
      E1STI(1, neq);
      E1STD(1, p(param, kLda));
      E1MES(ErrorType::terminal, 11, msg::kDivpagLdaFull);
    } else if (o.iatype != 0 && o.mtype == 1 && o.nlc + o.nuc + 1 > o.lda) {
      E1STI(1, o.nlc + o.nuc + 1);
      E1STD(1, p(param, kLda));
      E1MES(ErrorType::terminal, 12, msg::kDivpagLdaBand);
    } else if (o.iatype != 0 && o.mtype == 3 && o.nuc + 1 > o.lda) {
      E1STI(1, o.nuc + 1);
      E1STD(1, p(param, kLda));
      E1MES(ErrorType::terminal, 13, msg::kDivpagLdaSymmetricBand);
    } else {
      return true;
    }
  }
  return false;
}

bool check_tolerance(double tol) {
  if (tol > 0.0) return true;
  E1STD(1, tol);
  E1MES(ErrorType::terminal, 8, msg::kDivpagTol);
  return false;
}

// PARAM(1..20) must not be negative; `body` selects the message of DI2PAG.
bool check_param_signs(const double* param, bool body) {
  for (int k = 1; k <= 20; ++k) {
    if (p(param, k) < 0.0) {
      E1STI(1, k);
      E1STD(1, p(param, k));
      E1MES(ErrorType::terminal, 3, body ? msg::kDi2pagParamNegative : msg::kDivpagParamNegative);
      return false;
    }
  }
  const double meth = p(param, kMeth);
  if (meth != 0.0 && meth != 1.0 && meth != 2.0) {
    E1STD(1, meth);
    E1MES(ErrorType::terminal, 4, body ? msg::kDi2pagMeth : msg::kDivpagMeth);
    return false;
  }
  return true;
}

// ---- workspace ----

struct WorkspaceSize {
  int nmeth = 0;        // largest order
  std::size_t npw = 0;  // doubles of the iteration-matrix storage
};

WorkspaceSize workspace_size(const double* param, int neq) {
  const Options o = read_options(param, neq);
  WorkspaceSize w;
  w.nmeth = o.max_order;
  const std::size_t n = sz(neq);
  if (o.miter == 1 || o.miter == 2) {
    w.npw = 2 * n * n + (o.iatype != 0 ? 2 * n * n : 0);
  } else if (o.miter == 3) {
    w.npw = 2 * n;
  }
  return w;
}

void allocate(State& s, const double* param, int neq) {
  const Options o = read_options(param, neq);
  const std::size_t n = sz(neq);
  const std::size_t columns = sz(o.max_order + 1);
  // The whole requirement is first asked for in one piece without the
  // throwing allocator, so that an impossible size is refused at once on
  // every platform (some allocators end the process instead of throwing).
  const WorkspaceSize w = workspace_size(param, neq);
  const std::size_t doubles = w.npw + n * (2 * columns + 9) + 2 * n;
  if (doubles > std::size_t(-1) / sizeof(double)) throw std::bad_alloc();
  // (Kept in a volatile so that the compiler cannot leave out an
  // allocation whose memory is never used.)
  void* volatile probe = ::operator new(doubles * sizeof(double), std::nothrow);
  if (probe == nullptr) throw std::bad_alloc();
  ::operator delete(probe);
  // The largest pieces first, so that a failure touches no memory.
  if (o.miter == 1 || o.miter == 2) {
    if (o.iatype != 0) {
      s.a_full.assign(n * n, 0.0);
      s.a_fac.assign(n * n, 0.0);
      s.a_ipvt.assign(n, 0);
    }
    s.jac.assign(n * n, 0.0);
    s.pmat.assign(n * n, 0.0);
    s.ipvt.assign(n, 0);
  } else if (o.miter == 3) {
    s.diag.assign(n, 0.0);
    s.pdiag.assign(n, 0.0);
  }
  s.z.assign(n * columns, 0.0);
  s.zsave.assign(n * columns, 0.0);
  for (auto* v : {&s.acor, &s.acor_prev, &s.y, &s.f, &s.tmp, &s.tmp2, &s.winv, &s.ymax, &s.yp0}) v->assign(n, 0.0);
}

// P = A - hb*J (I - hb*J without A), with the entries outside the band
// of a banded matrix type zeroed.
void assemble_iteration_matrix(State& s, int n, double hb) {
  const Options& o = s.opt;
  for (int j = 0; j < n; ++j) {
    double* pj = column(s.pmat, n, j);
    const double* jj = column(s.jac, n, j);
    for (int i = 0; i < n; ++i) pj[i] = -hb * jj[i];
    if (o.iatype != 0) {
      const double* aj = column(s.a_full, n, j);
      for (int i = 0; i < n; ++i) pj[i] += aj[i];
    } else {
      pj[j] += 1.0;
    }
    if (o.mtype == 1 || o.mtype == 3) {
      const int lower = o.mtype == 1 ? o.nlc : o.nuc;
      for (int i = 0; i < n; ++i) {
        if (i - j > lower || j - i > o.nuc) pj[i] = 0.0;
      }
    }
  }
}

// Whether the n by n matrix p is symmetric to kSymmetryLimit relative, so
// that a symmetric matrix type may be factored by Cholesky.
bool is_symmetric(std::vector<double>& p, int n) {
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      const double upper = column(p, n, j)[i], lower = column(p, n, i)[j];
      // Written so that a NaN counts as asymmetric: a non-finite matrix
      // goes to LU, which does not misreport it as not positive definite.
      if (!(std::fabs(upper - lower) <= kSymmetryLimit * std::max(std::fabs(upper), std::fabs(lower)))) return false;
    }
  }
  return true;
}

// ---- the method ----

// The caller's right-hand side and Jacobian with the pointer they receive.
struct Callbacks {
  DivpagUserFcn fcn;
  DivpagUserJac fcnj;
  void* user;
};

class Integrator {
 public:
  Integrator(State& s, const Callbacks& callbacks, double tol) : s_(s), n_(s.neq), callbacks_(callbacks), tol_(tol) {}

  // Starts the method at x with y (IDO = 1).  False after a fatal error.
  bool start(const double* a, double x, const double* y);
  // Integrates towards xend; returns 0 when X = xend, 4 or 5 for an
  // interrupt return (X, Y the current point), -1 after a fatal error.
  int run(double xend, double& x, double* y);

 private:
  void evaluate(double x, const double* y, double* f) {
    ++s_.nfcn;
    callbacks_.fcn(n_, x, y, f, callbacks_.user);
  }
  double norm(const double* v) const { return divpag_norm(s_.opt.inorm, n_, v, s_.winv.data()); }
  double* z(int j) { return column(s_.z, n_, j); }
  void set_order(int q) {
    s_.q = q;
    s_.formula = divpag_formula(s_.opt.meth, q);
  }
  void rescale(double r);
  void reverse_direction();
  void predict();
  void restore();
  bool form_matrix(double hb, double x, const double* f0);
  bool solve(double* v);
  bool correct();  // false: no convergence
  bool step();     // false after a fatal error
  double error_failure_ratio(double err, int error_failures, int& new_q);
  void select_step_and_order(double err, bool failed_before);
  void interpolate(double xout, double* y);
  void fatal_step(int code, std::string_view message, double h);

  State& s_;
  int n_;
  Callbacks callbacks_;
  double tol_;
};

bool Integrator::start(const double* a, double x, const double* y) {
  const Options& o = s_.opt;
  s_.tn = x;
  DCOPY(n_, y, 1, z(0), 1);
  for (int i = 0; i < n_; ++i) s_.ymax[sz(i)] = std::fabs(y[i]);
  evaluate(x, y, s_.yp0.data());
  if (o.iatype != 0) {
    // A in full storage, from the storage of its kind.
    std::fill(s_.a_full.begin(), s_.a_full.end(), 0.0);
    for (int j = 0; j < n_; ++j) {
      double* colj = column(s_.a_full, n_, j);
      const double* aj = a + sz(j) * sz(o.lda);
      if (o.mtype == 1) {
        for (int i = std::max(0, j - o.nuc); i <= std::min(n_ - 1, j + o.nlc); ++i) colj[i] = aj[o.nuc + i - j];
      } else if (o.mtype == 3) {
        for (int i = std::max(0, j - o.nuc); i <= j; ++i) {
          colj[i] = aj[o.nuc + i - j];
          column(s_.a_full, n_, i)[j] = colj[i];
        }
      } else {
        DCOPY(n_, aj, 1, colj, 1);
      }
    }
    DL2TRG(n_, s_.a_full.data(), n_, s_.a_fac.data(), n_, s_.a_ipvt.data());
    if (N1RTY(1) == type_number(ErrorType::fatal)) {
      E1MES(ErrorType::fatal, 8, msg::kDivpagSingularA);
      return false;
    }
    DLFSRG(n_, s_.a_fac.data(), n_, s_.a_ipvt.data(), s_.yp0.data(), 1, s_.yp0.data());
  }
  s_.h = 0.0;
  set_order(1);
  s_.idoub = s_.q + 1;
  s_.growth_limit = kFirstGrowthLimit;
  s_.prev_valid = false;
  s_.rate = kRateStart;
  s_.have_matrix = s_.have_jacobian = s_.jacobian_current = s_.force_jacobian = false;
  s_.jacobian_age = 0;
  return true;
}

void Integrator::rescale(double r) {
  double factor = 1.0;
  for (int j = 1; j <= s_.q; ++j) {
    factor *= r;
    DSCAL(n_, factor, z(j), 1);
  }
  s_.h *= r;
  s_.prev_valid = false;
}

void Integrator::reverse_direction() {
  rescale(-1.0);
  s_.idoub = s_.q + 1;
}

// Pascal-triangle predictor: z := z * P.
void Integrator::predict() {
  const int q = s_.q;
  DCOPY(n_ * (q + 1), s_.z.data(), 1, s_.zsave.data(), 1);
  s_.tn += s_.h;
  for (int k = 0; k < q; ++k) {
    for (int j = q; j > k; --j) {
      double* lower = z(j - 1);
      const double* upper = z(j);
      for (int i = 0; i < n_; ++i) lower[i] += upper[i];
    }
  }
}

void Integrator::restore() {
  DCOPY(n_ * (s_.q + 1), s_.zsave.data(), 1, s_.z.data(), 1);
  s_.tn -= s_.h;
}

// Forms and factors the iteration matrix for H*beta = hb at (x, z0) with
// f0 = f(x, z0).  False when it is singular (treated as a convergence
// failure) or after a fatal error of the Cholesky factorisation.
bool Integrator::form_matrix(double hb, double x, const double* f0) {
  const Options& o = s_.opt;
  const bool new_jacobian = !s_.have_jacobian || s_.force_jacobian || s_.jacobian_age >= kJacobianMaxAge;
  double* y = z(0);
  if (new_jacobian) {
    ++s_.njac;
    s_.have_jacobian = s_.jacobian_current = true;
    s_.force_jacobian = false;
    s_.jacobian_age = 0;
    // Increments: PARAM(18) relative to |y_j|, bounded below by a multiple
    // of 1000*|H|*eps in the units of the error weights.
    const double fnorm = norm(f0);
    double r0 = kJacobianIncrementFloor * std::fabs(s_.h) * DMACH(4) * n_ * fnorm;
    if (r0 == 0.0) r0 = 1.0;
    if (o.miter == 3) {
      for (int i = 0; i < n_; ++i) {
        const double inc = std::max(o.increment * std::fabs(y[i]), r0 / s_.winv[sz(i)]);
        s_.tmp[sz(i)] = y[i] + inc;
      }
      evaluate(x, s_.tmp.data(), s_.tmp2.data());
      for (int i = 0; i < n_; ++i) {
        const double inc = s_.tmp[sz(i)] - y[i];
        s_.diag[sz(i)] = (s_.tmp2[sz(i)] - f0[i]) / inc;
      }
    } else if (o.miter == 1) {
      std::fill(s_.jac.begin(), s_.jac.end(), 0.0);
      callbacks_.fcnj(n_, x, y, s_.jac.data(), callbacks_.user);
    } else {
      DCOPY(n_, y, 1, s_.tmp.data(), 1);
      for (int j = 0; j < n_; ++j) {
        const double yj = y[j];
        s_.tmp[sz(j)] = yj + std::max(o.increment * std::fabs(yj), r0 / s_.winv[sz(j)]);
        const double inc = s_.tmp[sz(j)] - yj;
        evaluate(x, s_.tmp.data(), s_.tmp2.data());
        double* jj = column(s_.jac, n_, j);
        for (int i = 0; i < n_; ++i) jj[i] = (s_.tmp2[sz(i)] - f0[i]) / inc;
        s_.tmp[sz(j)] = yj;
      }
    }
  }
  s_.hb_matrix = hb;
  s_.have_matrix = true;
  if (o.miter == 3) {
    for (int i = 0; i < n_; ++i) {
      const double d = 1.0 - hb * s_.diag[sz(i)];
      if (d == 0.0) {
        s_.have_matrix = false;
        return false;
      }
      s_.pdiag[sz(i)] = 1.0 / d;
    }
    return true;
  }
  assemble_iteration_matrix(s_, n_, hb);
  const bool cholesky = (o.mtype == 2 || o.mtype == 3) && is_symmetric(s_.pmat, n_);
  s_.matrix_is_lu = !cholesky;
  if (cholesky) {
    ++s_.cholesky_count;
    DLFTDS(n_, s_.pmat.data(), n_, s_.pmat.data(), n_);
    if (N1RTY(1) == type_number(ErrorType::fatal)) return false;
  } else {
    ++s_.lu_count;
    DL2TRG(n_, s_.pmat.data(), n_, s_.pmat.data(), n_, s_.ipvt.data());
    if (N1RTY(1) == type_number(ErrorType::fatal)) {
      E1MES(ErrorType::none, 0, " ");  // a singular matrix only shortens the step
      s_.have_matrix = false;
      return false;
    }
  }
  return true;
}

// v := P^-1 v.
bool Integrator::solve(double* v) {
  if (s_.opt.miter == 3) {
    for (int i = 0; i < n_; ++i) v[i] *= s_.pdiag[sz(i)];
    return true;
  }
  if (s_.matrix_is_lu) {
    DLFSRG(n_, s_.pmat.data(), n_, s_.ipvt.data(), v, 1, v);
  } else {
    DLFSDS(n_, s_.pmat.data(), n_, v, v);
  }
  return true;
}

bool Integrator::correct() {
  const Options& o = s_.opt;
  const double l0 = s_.formula.l[0];
  const double conit = 0.5 / (s_.q + 2);
  double* y = s_.y.data();
  double* f = s_.f.data();
  double* acor = s_.acor.data();
  double* delta = s_.tmp.data();
  const double* z0 = z(0);
  const double* z1 = z(1);
  DCOPY(n_, z0, 1, y, 1);
  std::fill(s_.acor.begin(), s_.acor.end(), 0.0);
  evaluate(s_.tn, y, f);
  if (o.miter != 0) {
    const double hb = s_.h * l0;
    if (!s_.have_matrix || s_.force_jacobian || s_.jacobian_age >= kJacobianMaxAge ||
        std::fabs(hb / s_.hb_matrix - 1.0) > kMatrixChange) {
      if (!form_matrix(hb, s_.tn, f)) return false;
    }
  }
  double delp = 0.0;
  for (int m = 0; m < kMaxCorrections; ++m) {
    if (m > 0) evaluate(s_.tn, y, f);
    if (o.miter == 0) {
      for (int i = 0; i < n_; ++i) delta[i] = s_.h * f[i] - z1[i] - acor[i];
    } else {
      if (o.iatype != 0) {
        for (int i = 0; i < n_; ++i) s_.tmp2[sz(i)] = z1[i] + acor[i];
        // delta = h f - A (z1 + acor)
        for (int i = 0; i < n_; ++i) delta[i] = s_.h * f[i];
        DGEMV('N', n_, n_, -1.0, s_.a_full.data(), n_, s_.tmp2.data(), 1, 1.0, delta, 1);
      } else {
        for (int i = 0; i < n_; ++i) delta[i] = s_.h * f[i] - z1[i] - acor[i];
      }
      solve(delta);
      if (N1RTY(0) >= type_number(ErrorType::fatal)) return false;
    }
    for (int i = 0; i < n_; ++i) {
      acor[i] += delta[i];
      y[i] = z0[i] + l0 * acor[i];
    }
    const double del = s_.formula.same * norm(delta) / tol_;
    if (m > 0) s_.rate = std::max(kRateDecay * s_.rate, del / delp);
    if (del * std::min(1.0, 2.0 * s_.rate) <= conit) return true;
    if (m > 0 && del > kDivergence * delp) break;
    delp = del;
  }
  return false;
}

void Integrator::fatal_step(int code, std::string_view message, double h) {
  E1STD(1, h);
  E1STD(2, tol_);
  E1MES(ErrorType::fatal, code, message);
}

// After a failed error test with estimate err (the error_failures-th of
// this step): the step ratio and, in new_q, the order to retry with.  From
// the kErrorFailuresBeforeRestart-th failure on, order 1 with a fixed
// reduction; before it, the ratio of the same order or of the order below,
// whichever is larger.
double Integrator::error_failure_ratio(double err, int error_failures, int& new_q) {
  const Options& o = s_.opt;
  double r;
  if (error_failures >= kErrorFailuresBeforeRestart) {
    r = std::max(kRepeatedFailureRatio, o.hmin / std::fabs(s_.h));
    new_q = 1;
    return r;
  }
  r = 1.0 / (kBiasSame * std::pow(err, 1.0 / (s_.q + 1)) + kBiasSameAdd);
  if (s_.q > 1) {
    const double down = s_.formula.down * norm(z(s_.q)) / tol_;
    const double rdown = 1.0 / (kBiasDown * std::pow(down, 1.0 / s_.q) + kBiasDownAdd);
    if (rdown > r) {
      r = rdown;
      new_q = s_.q - 1;
    }
  }
  if (std::isnan(r)) r = kRepeatedFailureRatio;  // an error estimate without a value
  r = std::max(std::min(r, kErrorFailureRatioLimit), o.hmin / std::fabs(s_.h));
  return r;
}

// One step with its retries.  On success the history array is at the new
// point and the next step and order are chosen.
bool Integrator::step() {
  const Options& o = s_.opt;
  const double h_start = std::fabs(s_.h);
  int error_failures = 0;
  bool failed = false;
  double err = 0.0;
  for (;;) {
    predict();
    if (!correct()) {
      restore();
      if (N1RTY(0) >= type_number(ErrorType::fatal)) return false;  // not positive definite
      failed = true;
      s_.prev_valid = false;
      if (o.miter != 0 && !s_.jacobian_current) {
        s_.force_jacobian = true;
        continue;
      }
      const double r = std::max(kConvergenceFailureRatio, o.hmin / std::fabs(s_.h));
      if (std::fabs(s_.h) <= kMinStepMargin * o.hmin || h_start / (std::fabs(s_.h) * r) >= kTotalReductionLimit) {
        fatal_step(7, msg::kDivpagConvergenceLimit, s_.h * r);
        return false;
      }
      rescale(r);
      s_.idoub = s_.q + 1;
      continue;
    }
    err = s_.formula.same * norm(s_.acor.data()) / tol_;
    if (err <= 1.0) break;

    // Error test failed.
    restore();
    failed = true;
    ++error_failures;
    s_.prev_valid = false;
    if (std::fabs(s_.h) <= kMinStepMargin * o.hmin) {
      E1MES(ErrorType::fatal, 1, msg::kDivpagRepeatedErrorTest);
      return false;
    }
    int new_q = s_.q;
    const double r = error_failure_ratio(err, error_failures, new_q);
    if (h_start / (std::fabs(s_.h) * r) >= kTotalReductionLimit) {
      fatal_step(6, msg::kDivpagErrorTestLimit, s_.h * r);
      return false;
    }
    if (new_q == 1 && error_failures >= kErrorFailuresBeforeRestart) {
      // Restart at order 1 from a fresh derivative.
      std::fill(s_.z.begin() + 2 * static_cast<std::ptrdiff_t>(n_), s_.z.end(), 0.0);
      set_order(1);
      evaluate(s_.tn, z(0), z(1));
      if (o.iatype != 0) DLFSRG(n_, s_.a_fac.data(), n_, s_.a_ipvt.data(), z(1), 1, z(1));
      DSCAL(n_, s_.h, z(1), 1);
    } else if (new_q != s_.q) {
      std::fill(z(s_.q), z(s_.q) + n_, 0.0);
      set_order(new_q);
    }
    rescale(r);
    s_.idoub = s_.q + 1;
  }

  // Accepted.
  ++s_.nsteps;
  s_.hused = s_.h;
  s_.qused = s_.q;
  s_.jacobian_current = false;
  ++s_.jacobian_age;
  for (int j = 0; j <= s_.q; ++j) DAXPY(n_, s_.formula.l[sz(j)], s_.acor.data(), 1, z(j), 1);
  select_step_and_order(err, failed);
  return true;
}

void Integrator::select_step_and_order(double err, bool failed_before) {
  const Options& o = s_.opt;
  const int q = s_.q;
  const bool prev_ok = s_.prev_valid && s_.prev_q == q && s_.prev_h == s_.hused;
  --s_.idoub;
  if (s_.idoub > 0) {
    DCOPY(n_, s_.acor.data(), 1, s_.acor_prev.data(), 1);
    s_.prev_valid = true;
    s_.prev_q = q;
    s_.prev_h = s_.hused;
    return;
  }
  const double rsame = 1.0 / (kBiasSame * std::pow(err, 1.0 / (q + 1)) + kBiasSameAdd);
  double rdown = 0.0, rup = 0.0;
  if (q > 1) {
    const double down = s_.formula.down * norm(z(q)) / tol_;
    rdown = 1.0 / (kBiasDown * std::pow(down, 1.0 / q) + kBiasDownAdd);
  }
  if (q < o.max_order && prev_ok) {
    for (int i = 0; i < n_; ++i) s_.tmp[sz(i)] = s_.acor[sz(i)] - s_.acor_prev[sz(i)];
    const double up = s_.formula.up * norm(s_.tmp.data()) / tol_;
    rup = 1.0 / (kBiasUp * std::pow(up, 1.0 / (q + 2)) + kBiasUpAdd);
  }
  double r = rsame;
  int new_q = q;
  if (rdown > r) {
    r = rdown;
    new_q = q - 1;
  }
  if (rup > r) {
    r = rup;
    new_q = q + 1;
  }
  if (failed_before) r = std::min(r, 1.0);
  r = std::min(r, s_.growth_limit);
  r = std::min(r, o.hmax / std::fabs(s_.h));
  DCOPY(n_, s_.acor.data(), 1, s_.acor_prev.data(), 1);
  s_.prev_valid = true;
  s_.prev_q = q;
  s_.prev_h = s_.hused;
  if (r < kKeepStepRatio) {
    s_.idoub = 3;
    return;
  }
  s_.growth_limit = kGrowthLimit;
  if (new_q == q + 1) {
    // z_{q+1} = h^(q+1) y^(q+1) / (q+1)! ~ l_q e / (q+1).
    double* znew = z(q + 1);
    const double c = s_.formula.l[sz(q)] / (q + 1);
    for (int i = 0; i < n_; ++i) znew[i] = c * s_.acor[sz(i)];
  } else if (new_q == q - 1) {
    std::fill(z(q), z(q) + n_, 0.0);
  }
  set_order(new_q);
  rescale(r);
  s_.idoub = s_.q + 1;
}

void Integrator::interpolate(double xout, double* y) {
  const double t = (xout - s_.tn) / s_.h;
  DCOPY(n_, z(s_.q), 1, y, 1);
  for (int j = s_.q - 1; j >= 0; --j) {
    const double* zj = z(j);
    for (int i = 0; i < n_; ++i) y[i] = y[i] * t + zj[i];
  }
}

int Integrator::run(double xend, double& x, double* y) {
  const Options& o = s_.opt;
  if (xend == s_.tn && s_.h == 0.0) {
    DCOPY(n_, z(0), 1, y, 1);
    x = xend;
    return 0;
  }
  if (s_.h == 0.0) {
    const double span = xend - s_.tn;
    double h = o.initial_step > 0.0 ? std::copysign(o.initial_step, span) : kDefaultInitialFraction * span;
    h = std::copysign(std::max(std::min(std::fabs(h), o.hmax), o.hmin), span);
    s_.h = s_.hfirst = h;
    DCOPY(n_, s_.yp0.data(), 1, z(1), 1);
    DSCAL(n_, h, z(1), 1);
  } else if ((xend - s_.tn) * s_.h < 0.0 && (s_.hused == 0.0 || std::fabs(xend - s_.tn) > std::fabs(s_.hused))) {
    // The new end lies behind the last step: integrate the other way.
    reverse_direction();
  }
  long steps = 0;
  for (;;) {
    if ((s_.tn - xend) * s_.h >= 0.0) {
      interpolate(xend, y);
      x = xend;
      return 0;
    }
    if (steps >= o.max_steps) {
      E1STI(1, static_cast<int>(std::min<long>(o.max_steps, 2147483647L)));
      E1MES(ErrorType::fatal, 3, msg::kDivpagMaxSteps);
      return -1;
    }
    if (o.max_fcn > 0 && s_.nfcn >= o.max_fcn) {
      E1STI(1, static_cast<int>(std::min<long>(o.max_fcn, 2147483647L)));
      E1MES(ErrorType::fatal, 2, msg::kDivpagMaxFcn);
      return -1;
    }
    divpag_weights(o.inorm, n_, z(0), o.floor, s_.ymax.data(), s_.winv.data());
    if (DMACH(4) * norm(z(0)) > tol_) {
      E1STD(1, tol_);
      E1MES(ErrorType::fatal, 5, msg::kDivpagTolTest);
      return -1;
    }
    if (s_.tn + s_.h == s_.tn) {
      E1STD(1, s_.tn);
      E1STD(2, s_.h);
      E1STD(3, tol_);
      E1MES(ErrorType::fatal, 4, msg::kDivpagXPlusH);
      return -1;
    }
    if (o.interrupt1 && !s_.skip_interrupt1) {
      s_.skip_interrupt1 = true;
      DCOPY(n_, z(0), 1, y, 1);
      x = s_.tn;
      return 4;
    }
    s_.skip_interrupt1 = false;
    if (!step()) {
      DCOPY(n_, z(0), 1, y, 1);
      x = s_.tn;
      return -1;
    }
    ++steps;
    if (o.interrupt2) {
      DCOPY(n_, z(0), 1, y, 1);
      x = s_.tn;
      return 5;
    }
  }
}

void write_statistics(const State& s, double* param) {
  p(param, kOutStep) = s.h;
  p(param, kOutLastStep) = s.hused;
  p(param, kOutInitialStep) = s.hfirst;
  p(param, kOutSteps) = static_cast<double>(s.nsteps);
  p(param, kOutFcn) = static_cast<double>(s.nfcn);
  p(param, kOutJac) = static_cast<double>(s.njac);
}

void release(State& s) {
  const long lu = s.lu_count, cholesky = s.cholesky_count;
  s = State{};
  s.lu_count = lu;
  s.cholesky_count = cholesky;
}

// IDO = 1: the checks of a first call, then the counters reset and the
// method started at (x, y).  False after a terminal or fatal error (the
// message is out).
bool begin_integration(State& s, int neq, const Callbacks& callbacks, const double* a, double x, double tol,
                       double* param, const double* y) {
  if (s.initialized) {
    E1MES(ErrorType::terminal, 16, msg::kDivpagIdoRestart);
    return false;
  }
  if (!check_options(param, neq) || !check_tolerance(tol)) return false;
  if (!std::isfinite(x)) {
    E1MES(ErrorType::terminal, 22, msg::kDivpagXNotFinite);
    return false;
  }
  for (int i = 0; i < neq; ++i) {
    if (std::isfinite(y[i])) continue;
    E1STI(1, i + 1);
    E1MES(ErrorType::terminal, 23, msg::kDivpagYNotFinite);
    return false;
  }
  s.opt = read_options(param, neq);
  s.neq = neq;
  s.nsteps = s.nfcn = s.njac = 0;
  s.hused = s.hfirst = 0.0;
  s.qused = 0;
  s.skip_interrupt1 = false;
  Integrator starter(s, callbacks, tol);
  s.initialized = true;
  return starter.start(a, x, y);
}

// IDO >= 2: the checks of a continuing call.  At an interrupt return
// (IDO >= 4) the step bounds and limits may be changed in PARAM, and xend
// becomes the one of the interrupted call.  False after a terminal error
// (the message is out).
bool continue_integration(State& s, int ido, int neq, double x, double& xend, double tol, double* param) {
  if (!check_tolerance(tol)) return false;
  if (x != s.x_returned) {
    E1STD(1, x);
    E1MES(ErrorType::terminal, 14, msg::kDivpagXChanged);
    return false;
  }
  if (ido == 2 && xend == s.xend_last) {
    E1STD(1, xend);
    E1MES(ErrorType::terminal, 15, msg::kDivpagXendUnchanged);
    return false;
  }
  if (ido >= 4) {
    if (!check_param_signs(param, true)) return false;
    const Options changed = read_options(param, neq);
    s.opt.hmin = changed.hmin;
    s.opt.hmax = changed.hmax;
    s.opt.max_steps = changed.max_steps;
    s.opt.max_fcn = changed.max_fcn;
    xend = s.xend_last;
  }
  if (ido == 2) s.skip_interrupt1 = false;
  return true;
}

// The integrator body: protocol checks, then the integration.
void DI2PAG(int& ido, int neq, const Callbacks& callbacks, const double* a, double& x, double xend, double tol,
            double* param, double* y) {
  E1PSH("DI2PAG");
  State& s = state();
  auto done = [] { E1POP("DI2PAG"); };
  if (ido < 1 || ido > 7) {
    E1STI(1, ido);
    E1MES(ErrorType::terminal, 1, msg::kDi2pagIdoRange);
    return done();
  }
  if (ido != 1 && !s.initialized) {
    E1STI(1, ido);
    E1MES(ErrorType::terminal, 19, msg::kDivpagNotInitialized);
    return done();
  }
  if (ido == 3) {
    write_statistics(s, param);
    release(s);
    return done();
  }
  if (ido == 1) {
    if (!begin_integration(s, neq, callbacks, a, x, tol, param, y)) return done();
  } else {
    if (!continue_integration(s, ido, neq, x, xend, tol, param)) return done();
  }
  if (ido <= 2) s.xend_last = xend;
  // The step control works on x, xend and y: a value that is NaN or
  // infinite there would give steps without a size, which no retry bound
  // can end.
  if (ido <= 2 && !std::isfinite(xend)) {
    E1MES(ErrorType::terminal, 21, msg::kDivpagXendNotFinite);
    return done();
  }
  Integrator integrator(s, callbacks, tol);
  const int result = integrator.run(xend, x, y);
  s.x_returned = x;
  if (result >= 0) ido = result == 0 ? 2 : result;
  write_statistics(s, param);
  done();
}

// The legacy callbacks, called through the user pointer.
struct LegacyCallbacks {
  DivpagFcn fcn;
  DivpagJac fcnj;
};

void legacy_fcn(int neq, double x, const double* y, double* yprime, void* user) {
  static_cast<const LegacyCallbacks*>(user)->fcn(neq, x, y, yprime);
}

void legacy_fcnj(int neq, double x, const double* y, double* dypdy, void* user) {
  static_cast<const LegacyCallbacks*>(user)->fcnj(neq, x, y, dypdy);
}

}  // namespace

void DIVPAG(int& ido, int neq, DivpagFcn fcn, DivpagJac fcnj, const double* a, double& x, double xend, double tol,
            double* param, double* y) {
  LegacyCallbacks legacy{fcn, fcnj};
  DIVPAG(ido, neq, legacy_fcn, fcnj != nullptr ? legacy_fcnj : nullptr, &legacy, a, x, xend, tol, param, y);
}

void DIVPAG(int& ido, int neq, DivpagUserFcn fcn, DivpagUserJac fcnj, void* user, const double* a, double& x,
            double xend, double tol, double* param, double* y) {
  E1PSH("DIVPAG");
  State& s = state();
  if (ido < 1 || ido > 7) {
    E1STI(1, ido);
    E1MES(ErrorType::terminal, 1, msg::kDivpagIdoRange);
    E1POP("DIVPAG");
    return;
  }
  if (ido == 1) {
    if (neq < 1) {
      E1STI(1, neq);
      E1MES(ErrorType::terminal, 2, msg::kDivpagNeq);
      E1POP("DIVPAG");
      return;
    }
    if (!check_param_signs(param, false)) {
      E1POP("DIVPAG");
      return;
    }
    if (!s.initialized) {
      try {
        allocate(s, param, neq);
      } catch (const std::bad_alloc&) {
        s = State{};
      } catch (const std::length_error&) {
        s = State{};
      }
      if (s.z.empty()) {
        const WorkspaceSize w = workspace_size(param, neq);
        E1STI(1, neq);
        E1STI(2, w.nmeth);
        E1STI(3, static_cast<int>(std::min<std::size_t>(w.npw, 2147483647U)));
        E1MES(ErrorType::terminal, 20, msg::kDivpagStorage);
        E1POP("DIVPAG");
        return;
      }
    }
  }
  DI2PAG(ido, neq, Callbacks{fcn, fcnj, user}, a, x, xend, tol, param, y);
  E1POP("DIVPAG");
}

DivpagDiagnostics divpag_diagnostics() {
  const State& s = state();
  DivpagDiagnostics d;
  d.active = s.initialized;
  d.order = s.q;
  d.last_order = s.qused;
  d.lu_factorizations = s.lu_count;
  d.cholesky_factorizations = s.cholesky_count;
  return d;
}

void reset_divpag() { library_state().divpag.reset(); }

}  // namespace zelvan::numlib
