// Message texts of the numerical library, by routine family.  Placeholders
// %(In), %(Dn), %(Ln) take the parameters stored with E1STI, E1STD, E1STL.
#pragma once

#include <string_view>

namespace zelvan::numlib::msg {

// ---- error handler ----
inline constexpr std::string_view kPushOverflow =
    "Error condition in E1PSH.  Push would cause stack level to exceed %(I1).";
inline constexpr std::string_view kPopEmpty =
    "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.";
inline constexpr std::string_view kPopMismatch =
    "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.";
inline constexpr std::string_view kN1rtyArgument = ".  The argument passed to N1RTY must be 0 or 1. ";
inline constexpr std::string_view kN1rcdArgument = ".  The argument passed to N1RCD must be 0 or 1. ";
inline constexpr std::string_view kTracebackTitle = "     Here is a traceback of subprogram calls in reverse order:";
inline constexpr std::string_view kTracebackHead = "     Routine name                    Error type  Error code";
inline constexpr std::string_view kTracebackRule = "     ------------                    ----------  ----------";
inline constexpr std::string_view kCalledInternally = "    (Called internally)";

// ---- machine constants and units ----
// The fixed forms of UMACH and IMACH: a blank line, these three lines (the
// last followed by the index in I6 and a period), a blank line.
struct FixedFormStop {
  std::string_view first;
  std::string_view second;
  std::string_view third;
};
inline constexpr FixedFormStop kUmachStop = {
    " *** TERMINAL ERROR 5 from UMACH.  The absolute",
    " ***          value of the index variable must be",
    " ***          1, 2, or 3.  IABS(N) = ",
};
inline constexpr FixedFormStop kImachStop = {
    " *** TERMINAL ERROR 5 from IMACH.  The argument",
    " ***          must be between 1 and 12 inclusive.",
    " ***          N = ",
};
inline constexpr std::string_view kDmachArgument = "The argument must be between 1 and 8 inclusive. N = %(I1)";

// ---- option store ----
inline constexpr std::string_view kIumagAction =
    "IACT must be 1 to get option values or 2 to put option values.  IACT = %(I1) is invalid.";
inline constexpr std::string_view kIumagProduct =
    "The product name must be either MATH or STAT.  PRODNM = %(L1) is invalid.";
inline constexpr std::string_view kIumagMathChapter =
    "ICHP = %(I1) is an invalid MATH chapter number.  To get or put MATH options, ICHP must be between 1 and %(I2).";
inline constexpr std::string_view kIumagStatChapter =
    "ICHP = %(I1) is an invalid STAT chapter number.  To get or put STAT options, ICHP must be between 1 and %(I2).";
inline constexpr std::string_view kIumagNoMathOptions =
    "No options exist for MATH chapter %(I1).  Only existing options may have values retrieved from or placed into "
    "them.";
inline constexpr std::string_view kIumagNoStatOptions =
    "No options exist for STAT chapter %(I1).  Only existing options may have values retrieved from or placed into "
    "them.";
inline constexpr std::string_view kIumagNumopt =
    "NUMOPT = %(I1) is an invalid number of options.  NUMOPT must be greater than zero.";
inline constexpr std::string_view kIumagOption =
    "IOPTS(%(I1)) = %(I2) is an invalid %(L1) chapter %(I3) option number.";

// ---- kernels ----
inline constexpr std::string_view kMKernel = "M must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kNKernel = "N must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kLdaKernel =
    "LDA must be greater than or equal to M and greater than zero while LDA = %(I1) and M = %(I2) are given.";
inline constexpr std::string_view kIncxKernel = "INCX must not be equal to zero while %(I1) is given.";
inline constexpr std::string_view kIncyKernel = "INCY must not be equal to zero while %(I1) is given.";
inline constexpr std::string_view kTransKernel = "TRANS must be set equal to N or T or C while %(L1) is given.";

// ---- real general matrices ----
inline constexpr std::string_view kOrderPositiveLower =
    "The order of the matrix must be positive while N = %(i1) is given.";
inline constexpr std::string_view kWorkspaceN =
    "The required storage cannot be allocated.  The workspace is based on N, where N = %(i1).";
inline constexpr std::string_view kOrderPositive = "The order of the matrix must be positive while N = %(I1) is given.";
inline constexpr std::string_view kOrderLda =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDA = %(I2) are "
    "given.";
inline constexpr std::string_view kOrderLdainv =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDAINV = %(I2) "
    "are given.";
inline constexpr std::string_view kOrderLdfac =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDFAC = %(I2) are "
    "given.";
inline constexpr std::string_view kConditionFlag =
    "The flag value for computing the matrix condition number must be 1 or 2 while %(I1) is given.";
inline constexpr std::string_view kSingularLu =
    "The input matrix is singular.  Some of the diagonal elements of the upper triangular matrix U of the LU "
    "factorization are close to zero.";
inline constexpr std::string_view kAlgorithmicallySingular =
    "The matrix is algorithmically singular.  An estimate of the reciprocal of its L1 condition number is RCOND = "
    "%(D1).";
inline constexpr std::string_view kTooIllConditioned =
    "The matrix is too ill-conditioned. An estimate of the reciprocal of its L1 condition number is RCOND = %(D1).  "
    "The inverse might not be accurate.";
inline constexpr std::string_view kIpath = "IPATH must be either 1 or 2 while a value of %(I1) is given.";
inline constexpr std::string_view kEquationsPositive =
    "The number of equations must be positive while N = %(I1) is given.";
inline constexpr std::string_view kSingularTriangular =
    "The input triangular matrix is singular.  The index of the first zero diagonal element is %(I1).";

// ---- complex matrix product ----
inline constexpr std::string_view kZgemmM = "M must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmN = "N must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmK = "K must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmLdc =
    "LDC must be greater than or equal to M and greater than zero while LDC = %(I1) and M = %(I2) are given.";
inline constexpr std::string_view kZgemmLdaN =
    "LDA must be greater than or equal to M and greater than zero when TRANSA = N, but LDA = %(I1) and M = %(I2) are "
    "given.";
inline constexpr std::string_view kZgemmLdaT =
    "LDA must be greater than or equal to K and greater than zero when TRANSA = T or C, but LDA = %(I1) and K = %(I2) "
    "are given.";
inline constexpr std::string_view kZgemmTransa = "TRANSA must be set equal to N or T or C while %(L1) is given.";
inline constexpr std::string_view kZgemmLdbN =
    "LDB must be greater than or equal to K and greater than zero when TRANSB = N, but LDB = %(I1) and K = %(I2) are "
    "given.";
inline constexpr std::string_view kZgemmLdbT =
    "LDB must be greater than or equal to N and greater than zero when TRANSB = T or C, but LDB = %(I1) and N = %(I2) "
    "are given.";
inline constexpr std::string_view kZgemmTransb = "TRANSB must be set equal to N or T or C while %(L1) is given.";

// ---- complex eigen-solver ----
inline constexpr std::string_view kDevccgOrder = "The argument N = %(I1).  The order of the matrix must be at least 1.";
inline constexpr std::string_view kDevccgNotFinite =
    "The entry A(%(I1),%(I2)) of the input matrix is not a finite number.  Every entry must be finite.";
inline constexpr std::string_view kDevccgStorage =
    "The required storage cannot be allocated.  The specified N may be too large, where N = %(I1).";
inline constexpr std::string_view kDe6ccgLda =
    "The argument LDA = %(I1).  The leading dimension of the matrix must be at least equal to the order, N = %(I2).";
inline constexpr std::string_view kDe6ccgLdevec =
    "The argument LDEVEC = %(I1).  The leading dimension of the eigenvector matrix must be at least equal to the "
    "order, N = %(I2).";
inline constexpr std::string_view kDe6ccgOptions =
    "The option values 3,4 must berespectively not less than zero, and non-negative while %(I1) and %(I2) are given.";
inline constexpr std::string_view kDccgcgN = "The argument N = %(I1).  It must be at least 1.";
inline constexpr std::string_view kDccgcgLda = "The argument LDA = %(I1).  It must be at least as large as N = %(I2).";
inline constexpr std::string_view kDccgcgLdb = "The argument LDB = %(I1).  It must be at least as large as N = %(I2).";
inline constexpr std::string_view kDe3cchConvergence = "The iteration for the eigenvalues did not converge.";
inline constexpr std::string_view kDsvrgpLength =
    "The length of vectors RA, RB and IPERM must be greater than or equal to one.  On input the length, N, is given as "
    "%(I1).";

// ---- symmetric positive definite matrices (DLFTDS, DLFSDS) ----
inline constexpr std::string_view kOrderLdfact =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDFACT = %(I2) "
    "are given.";
inline constexpr std::string_view kNotPositiveDefinite =
    "The leading %(I1) by %(I1) submatrix of the input matrix is not positive definite.";
inline constexpr std::string_view kSingularCholesky = "The input matrix is singular.";

// ---- initial-value integrator (DIVPAG, DI2PAG) ----
inline constexpr std::string_view kDivpagIdoRange =
    "The status indicator IDO = %(i1).  It must be in the range 1 to 7.";
inline constexpr std::string_view kDi2pagIdoRange =
    "The status indicator IDO = %(I1).  It must be in the range 1 to 7.";
inline constexpr std::string_view kDivpagNeq = "The number of equations NEQ = %(i1).  It must be at least 1.";
inline constexpr std::string_view kDivpagParamNegative =
    "The optional parameter PARAM(%(i1)) =  %(D1).  It cannot be negative.";
inline constexpr std::string_view kDi2pagParamNegative =
    "The optional parameter PARAM(%(I1)) = %(D1).  It cannot be negative.";
inline constexpr std::string_view kDivpagMeth = "The method indicator METH = PARAM(12) = %(D1).  It must be 1 or 2.";
inline constexpr std::string_view kDi2pagMeth = "The method indicator PARAM(12) = METH = %(D1).  It must be 1 or 2.";
inline constexpr std::string_view kDivpagMiterMtype =
    "The argument PARAM(%(i1)) = %(D1).  Both MITER and MTYPE must be less than four.";
inline constexpr std::string_view kDivpagInorm = "The argument PARAM(10) = INORM = %(D1).  It must be less than four.";
inline constexpr std::string_view kDivpagIatype =
    "The type of the matrix A must be 0, 1, or 2, while PARAM(19) = IATYPE = %(D1) is given.";
inline constexpr std::string_view kDivpagMiter0 =
    "Misuse of PARAM options.  PARAM(13) = MITER = %(D1), PARAM(14) = MTYPE = %(D2), PARAM(19) = IATYPE = %(D3).  When "
    "MITER is set to 0, MTYPE and IATYPE must also be set to 0.";
inline constexpr std::string_view kDivpagMiter3 =
    "Misuse of PARAM options.  PARAM(13) = MITER = %(D1), PARAM(14) = MTYPE = %(D2), PARAM(19) = IATYPE = %(D3).  When "
    "MITER is set to 3, MTYPE and IATYPE must be set to 0.";
inline constexpr std::string_view kDivpagTol = "The tolerance TOL = %(D1).  It must be greater than zero.";
inline constexpr std::string_view kDivpagNlc =
    "The number of lower codiagonals must be greater than or equal to zero and less than NEQ while PARAM(15) = NLC = "
    "%(D1) is given.";
inline constexpr std::string_view kDivpagNuc =
    "The number of upper codiagonals must be greater than or equal to zero and less than NEQ while PARAM(16) = NUC = "
    "%(D1) is given.";
inline constexpr std::string_view kDivpagLdaFull =
    "The order of the matrix must be less than or equal to its leading dimension while NEQ = %(I1) and PARAM(20) = LDA "
    "= %(D1) are given.";
inline constexpr std::string_view kDivpagLdaBand =
    "The number of rows of matrix A must be less than or equal to its leading dimension while NLC + NUC + 1 = %(I1) "
    "and PARAM(20) = LDA = %(D1) are given.";
inline constexpr std::string_view kDivpagLdaSymmetricBand =
    "The number of rows of matrix A must be less than or equal to its leading dimension while NUC + 1 = %(I1) and "
    "PARAM(20) = LDA = %(D1) are given.";
inline constexpr std::string_view kDivpagXChanged = "Argument X = %(D1) is changed from the previous call.";
inline constexpr std::string_view kDivpagXendNotFinite =
    "The end point XEND is not a finite number.  It must be finite.";
inline constexpr std::string_view kDivpagXNotFinite = "The initial point X is not a finite number.  It must be finite.";
inline constexpr std::string_view kDivpagYNotFinite =
    "The initial value Y(%(I1)) is not a finite number.  Every initial value must be finite.";
inline constexpr std::string_view kDivpagXendUnchanged = "Argument XEND = %(D1) is not changed from the previous call.";
inline constexpr std::string_view kDivpagIdoRestart =
    "IDO = 1.  IDO can only be set to 1 in the initial call to the routine, or if the previous call was made with IDO "
    "= 3.";
inline constexpr std::string_view kDivpagNotInitialized =
    "IDO has been set to %(I1), but the routine has not been initialized in a call with IDO = 1.";
inline constexpr std::string_view kDivpagStorage =
    "The required storage cannot be allocated.  The workspace requirement is based on NEQ = %(i1), NMETH = %(i2), NPW "
    "= %(i3).";
inline constexpr std::string_view kDivpagRepeatedErrorTest =
    "After some initial success, the integration was halted by repeated error test failures.";
inline constexpr std::string_view kDivpagMaxFcn = "Maximum number of function evaluations, %(I1), have been used.";
inline constexpr std::string_view kDivpagMaxSteps =
    "Maximum number of steps allowed, %(I1), have been used.  The problem may be stiff.";
inline constexpr std::string_view kDivpagXPlusH =
    "On the next step X+H will equal X, with X = %(D1) and H = %(D2).  Either TOL = %(D3) is too small or the problem "
    "is stiff.";
inline constexpr std::string_view kDivpagTolTest =
    "After some initial success, the integration was halted by a test on TOL = %(D1).";
inline constexpr std::string_view kDivpagErrorTestLimit =
    "Integration halted after failing to pass the error test, even after reducing the stepsize by a factor of 1.0E+10 "
    "to H = %(D1).  TOL = %(D2) may be too small.";
inline constexpr std::string_view kDivpagConvergenceLimit =
    "Integration halted after failing to achieve corrector convergence, even after reducing the stepsize by a factor "
    "of 1.0E+10 to H = %(D1).  TOL = %(D2) may be too small.";
inline constexpr std::string_view kDivpagSingularA =
    "The input matrix A is singular.  If used, A must be non-singular.";

// ---- integration with events (DIVPAG_EVENTS) ----
inline constexpr std::string_view kEventsCounts =
    "The number of equations NEQ = %(I1) and of switching functions COUNT = %(I2).  NEQ must be at least 1 and COUNT "
    "at least 0.";
inline constexpr std::string_view kEventsOutputs =
    "The output points must be given and increase from beyond the start X = %(D1).";

// ---- Bessel functions ----
inline constexpr std::string_view kDcsevlTermsPositive =
    "The number of terms in the series is not positive. N = %(I1).";
inline constexpr std::string_view kDcsevlTermsMaximum =
    "The number of terms in the series is greater than 1000. N = %(I1).";
inline constexpr std::string_view kDcsevlArgument = "The argument X = %(D1) is outside the interval (-1.1,+1.1).";
inline constexpr std::string_view kInitdsCount = "The number of coefficients is less than 1. NOS = %(I1).";
inline constexpr std::string_view kInitdsAccuracy = "Too much accuracy may be requested. ETA should be increased.";
inline constexpr std::string_view kBesselUnderflow =
    "The function underflows because ABS(%(D1)) is less than %(D2). The result is set to zero.";
inline constexpr std::string_view kBesselPositive = "X = %(D1) must be greater than 0.0.";
inline constexpr std::string_view kBesselOverflow = "The function overflows because X = %(D1) is less than %(D2).";
inline constexpr std::string_view kBesselAsymptoticArgument =
    "The argument must be greater than or equal to 4.0. Argument X = %(D1).";
inline constexpr std::string_view kBesselPrecisionLost = "All precision is lost. X = %(D1) must be less than %(D2).";

// ---- real fast Fourier transform (DFFTRF, DFFTRI, DF2TRF) ----
inline constexpr std::string_view kFftLength = "The length of the sequence N = %(I1).  It must be at least 1.";
inline constexpr std::string_view kFftWorkArray =
    "The work array WFFTR does not hold the factors of N = %(I1).  It must be prepared by DFFTRI for the same N.";
inline constexpr std::string_view kFftStorage =
    "The required storage cannot be allocated.  The specified N may be too large, where N = %(I1).";

// ---- linear least squares ----
inline constexpr std::string_view kLeastSquaresShape =
    "The least-squares matrix must have at least as many rows as columns and at least one column while M = %(I1) and "
    "N = %(I2) are given.";
inline constexpr std::string_view kLeastSquaresLeading =
    "The leading dimensions must hold the arrays while M = %(I1), N = %(I2), LDA = %(I3), LDB = %(I4) and LDX = %(I5) "
    "are given.";
inline constexpr std::string_view kLeastSquaresRhs =
    "The number of right-hand sides must be positive while NRHS = %(I1) is given.";

}  // namespace zelvan::numlib::msg
