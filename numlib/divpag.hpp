// Initial-value integrator DIVPAG: integrates A*y' = f(x, y) (or y' = f)
// from X to XEND with a variable-step, variable-order implicit Adams
// (orders 1 to 12) or backward differentiation (orders 1 to 5) method in
// Nordsieck form.  The caller drives it through the status IDO and the
// option table PARAM (50 doubles; entries 1-20 are inputs, 31-36 outputs).
// The methods, error norms and options are described in
// docs/initial-value-integrator.md.
#pragma once

namespace zelvan::numlib {

// Right-hand side: yprime := f(x, y), neq values.
using DivpagFcn = void (*)(int neq, double x, const double* y, double* yprime);
// Jacobian: dypdy := df/dy (neq x neq, by columns, leading dimension neq;
// cleared before the call).  Called only with PARAM(13) = MITER = 1.
using DivpagJac = void (*)(int neq, double x, const double* y, double* dypdy);
// The same with the caller's pointer `user`, passed through unchanged.
using DivpagUserFcn = void (*)(int neq, double x, const double* y, double* yprime, void* user);
using DivpagUserJac = void (*)(int neq, double x, const double* y, double* dypdy, void* user);

// The integrator.  Status protocol:
//   IDO 1  first call: reads PARAM, allocates the workspace, starts at X
//          with Y and integrates to XEND; returns IDO 2.
//   IDO 2  continues from the X returned before to a new XEND (either
//          direction); Y := y(XEND), X := XEND.
//   IDO 3  writes the statistics to PARAM and releases the workspace; a
//          later IDO 1 may start a new problem.
//   IDO 4  returned before each step when PARAM(7) > 0, IDO 5 after each
//          step when PARAM(8) > 0, with X and Y the current point; call
//          again with the same IDO (and X unchanged) to go on.  IDO 6 and 7
//          continue like 5 (the integrator makes no requests).
// A is read when PARAM(19) = IATYPE is 1 or 2 (a constant matrix, stored
// as PARAM(14) = MTYPE says, leading dimension PARAM(20)).  FCNJ may be
// nullptr unless MITER = 1.  X, XEND or an initial Y that is NaN or
// infinite is a terminal error (codes 22, 21, 23): every loop of the step
// control then ends, whatever values FCN returns.  Argument and protocol
// errors are terminal
// errors, integration failures fatal errors 1 to 7, a singular A fatal
// error 8 (all stop the run through the error handler).  PARAM(31..36) on
// every return: step to try next, last step taken, initial step, steps,
// FCN evaluations, Jacobian evaluations, all since IDO = 1.
void DIVPAG(int& ido, int neq, DivpagFcn fcn, DivpagJac fcnj, const double* a, double& x, double xend, double tol,
            double* param, double* y);

// The integrator with callbacks that receive `user` on every call, so the
// right-hand side reaches its data without process-wide records.  The
// arguments, the status protocol and the errors are those above; `user`
// may be nullptr and must stay valid for every call with IDO 1, 2, 4 to 7
// (the pointer passed with each call is the one used during that call).
void DIVPAG(int& ido, int neq, DivpagUserFcn fcn, DivpagUserJac fcnj, void* user, const double* a, double& x,
            double xend, double tol, double* param, double* y);

// Read-only view of the integrator's process-wide state, for tests and
// the benchmark.
struct DivpagDiagnostics {
  bool active = false;               // between IDO = 1 and IDO = 3
  int order = 0;                     // order of the next step
  int last_order = 0;                // order of the last step taken
  long lu_factorizations = 0;        // iteration matrices factored by LU
  long cholesky_factorizations = 0;  // ... by Cholesky
};
DivpagDiagnostics divpag_diagnostics();

// Releases the workspace and returns the integrator to its initial state
// (uninitialised), e.g. after a test stopped a run inside an integration.
void reset_divpag();

}  // namespace zelvan::numlib
