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
inline constexpr std::string_view kTracebackTitle =
    "     Here is a traceback of subprogram calls in reverse order:";
inline constexpr std::string_view kTracebackHead =
    "     Routine name                    Error type  Error code";
inline constexpr std::string_view kTracebackRule =
    "     ------------                    ----------  ----------";
inline constexpr std::string_view kCalledInternally = "    (Called internally)";

// ---- machine constants and units ----
inline constexpr std::string_view kUmachLayout =
    R"(( / " *** TERMINAL ERROR 5 from UMACH.  The absolute", /, " ***          value of the index variable must be", /, " ***          1, 2, or 3.  IABS(N) = ", I6, ".", /))";
inline constexpr std::string_view kImachLayout =
    R"(( / " *** TERMINAL ERROR 5 from IMACH.  The argument", /, " ***          must be between 1 and 12 inclusive.", /, " ***          N = ", I6, ".", /))";
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
    "No options exist for MATH chapter %(I1).  Only existing options may have values retrieved from or placed into them.";
inline constexpr std::string_view kIumagNoStatOptions =
    "No options exist for STAT chapter %(I1).  Only existing options may have values retrieved from or placed into them.";
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
inline constexpr std::string_view kOrderPositiveLower = "The order of the matrix must be positive while N = %(i1) is given.";
inline constexpr std::string_view kWorkspaceN =
    "The required storage cannot be allocated.  The workspace is based on N, where N = %(i1).";
inline constexpr std::string_view kOrderPositive = "The order of the matrix must be positive while N = %(I1) is given.";
inline constexpr std::string_view kOrderLda =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDA = %(I2) are given.";
inline constexpr std::string_view kOrderLdainv =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDAINV = %(I2) are given.";
inline constexpr std::string_view kOrderLdfac =
    "The order of the matrix must be less than or equal to its leading dimension while N = %(I1) and LDFAC = %(I2) are given.";
inline constexpr std::string_view kConditionFlag =
    "The flag value for computing the matrix condition number must be 1 or 2 while %(I1) is given.";
inline constexpr std::string_view kSingularLu =
    "The input matrix is singular.  Some of the diagonal elements of the upper triangular matrix U of the LU factorization are close to zero.";
inline constexpr std::string_view kAlgorithmicallySingular =
    "The matrix is algorithmically singular.  An estimate of the reciprocal of its L1 condition number is RCOND = %(D1).";
inline constexpr std::string_view kTooIllConditioned =
    "The matrix is too ill-conditioned. An estimate of the reciprocal of its L1 condition number is RCOND = %(D1).  The inverse might not be accurate.";
inline constexpr std::string_view kIpath = "IPATH must be either 1 or 2 while a value of %(I1) is given.";
inline constexpr std::string_view kEquationsPositive = "The number of equations must be positive while N = %(I1) is given.";
inline constexpr std::string_view kSingularTriangular =
    "The input triangular matrix is singular.  The index of the first zero diagonal element is %(I1).";

// ---- complex matrix product ----
inline constexpr std::string_view kZgemmM = "M must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmN = "N must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmK = "K must be greater than or equal to zero while %(I1) is given.";
inline constexpr std::string_view kZgemmLdc =
    "LDC must be greater than or equal to M and greater than zero while LDC = %(I1) and M = %(I2) are given.";
inline constexpr std::string_view kZgemmLdaN =
    "LDA must be greater than or equal to M and greater than zero when TRANSA = N, but LDA = %(I1) and M = %(I2) are given.";
inline constexpr std::string_view kZgemmLdaT =
    "LDA must be greater than or equal to K and greater than zero when TRANSA = T or C, but LDA = %(I1) and K = %(I2) are given.";
inline constexpr std::string_view kZgemmTransa = "TRANSA must be set equal to N or T or C while %(L1) is given.";
inline constexpr std::string_view kZgemmLdbN =
    "LDB must be greater than or equal to K and greater than zero when TRANSB = N, but LDB = %(I1) and K = %(I2) are given.";
inline constexpr std::string_view kZgemmLdbT =
    "LDB must be greater than or equal to N and greater than zero when TRANSB = T or C, but LDB = %(I1) and N = %(I2) are given.";
inline constexpr std::string_view kZgemmTransb = "TRANSB must be set equal to N or T or C while %(L1) is given.";

// ---- complex eigen-solver ----
inline constexpr std::string_view kDevccgOrder = "The argument N = %(I1).  The order of the matrix must be at least 1.";
inline constexpr std::string_view kDevccgStorage =
    "The required storage cannot be allocated.  The specified N may be too large, where N = %(I1).";
inline constexpr std::string_view kDe6ccgLda =
    "The argument LDA = %(I1).  The leading dimension of the matrix must be at least equal to the order, N = %(I2).";
inline constexpr std::string_view kDe6ccgLdevec =
    "The argument LDEVEC = %(I1).  The leading dimension of the eigenvector matrix must be at least equal to the order, N = %(I2).";
inline constexpr std::string_view kDe6ccgOptions =
    "The option values 3,4 must berespectively not less than zero, and non-negative while %(I1) and %(I2) are given.";
inline constexpr std::string_view kDccgcgN = "The argument N = %(I1).  It must be at least 1.";
inline constexpr std::string_view kDccgcgLda = "The argument LDA = %(I1).  It must be at least as large as N = %(I2).";
inline constexpr std::string_view kDccgcgLdb = "The argument LDB = %(I1).  It must be at least as large as N = %(I2).";
inline constexpr std::string_view kDe3cchConvergence = "The iteration for the eigenvalues did not converge.";
inline constexpr std::string_view kDsvrgpLength =
    "The length of vectors RA, RB and IPERM must be greater than or equal to one.  On input the length, N, is given as %(I1).";

}  // namespace zelvan::numlib::msg
