// Every console text and message layout of the unsteady-aerodynamics
// module.
#pragma once

#include <string_view>

namespace zelvan::aero::msg {

// Hankel functions called with an argument that is not positive; h is
// left unchanged and the computation goes on.
inline constexpr std::string_view kNoH0 = R"((2X, "x = ", D12.4, 2X, "No computation of H02(x)!"))";
inline constexpr std::string_view kNoH1 = R"((2X, "x = ", D12.4, 2X, "No computation of H12(x)!"))";

// Possio solver: inputs outside its domain.
inline constexpr std::string_view kMachOutside =
    R"(( / "!!! Possio integral equation: Mach number ", 1PG12.5, /, "    is outside the range 0.1 <= M < 1 of the solver.", /))";
inline constexpr std::string_view kFrequencyOutside =
    R"(( / "!!! Possio integral equation: reduced frequency ", 1PG12.5, /, "    must be positive and finite.", /))";
inline constexpr std::string_view kFrequencyTooHigh =
    R"(( / "!!! Possio integral equation: reduced frequency ", 1PG12.5, " at Mach number ", 1PG12.5, /, "    is too high for the kernel: 2k/(1-M**2) = ", 1PG12.5, " exceeds ", F4.1, ".", /))";
inline constexpr std::string_view kHingeOutside =
    R"(( / "!!! Possio integral equation: aileron hinge xrud = ", 1PG12.5, /, "    must lie on the chord, -1 <= xrud <= 1.", /))";

// Possio solver: the collocation system has a zero pivot.
inline constexpr std::string_view kSingularSystem =
    R"(( / "!!! Possio integral equation: the collocation system is singular", /, "    (zero pivot in column ", I2, ", degree of freedom ", I1, ").", /))";

// Romberg quadrature of the kernel: no convergence within the level bound.
inline constexpr std::string_view kRombergNoConvergence =
    R"(( / "!!! Possio kernel: Romberg quadrature from ", 1PG14.6, " to ", 1PG14.6, /, "    has not converged after ", I2, " levels (", I10, " integrand values).", /))";

// Stop line after any of the messages above.
inline constexpr std::string_view kStopPossio = "*** ZELVAN terminated due to an error in the Possio solver";

// An error of the numerical library inside the thin-plate coefficients:
// what was being computed, written before the library's message.  The
// caller names the reduced frequency (A).
inline constexpr std::string_view kNoteThinPlate =
    R"(( / "!!! While computing the thin-plate coefficients (Bessel functions of k) at ", A, " =", 1PG12.5, ", x_p =", 1PG12.5, ":"))";

// Pressure-distribution listing (console and listing file).
inline constexpr std::string_view kListMach = R"(( / 10X, "Mach number", 7X, " : ", F6.4))";
inline constexpr std::string_view kListFrequency = R"(( / 10X, "Reduced frequency : ", F6.4))";
inline constexpr std::string_view kListPlunge = R"(( / 10X, "DOF profile plunge"))";
inline constexpr std::string_view kListPitch = R"(( / 10X, "DOF profile pitch at xr = ", F6.3))";
inline constexpr std::string_view kListAileron = R"(( / 10X, "DOF aileron pitch at xrud = ", F6.3))";
inline constexpr std::string_view kListTitle = R"(( / 10X, "Pressure distribution ", /))";
inline constexpr std::string_view kListHeader = R"L((14X, "x", 9X, "Re(dcp)", 7X, "Im(dcp)"))L";
inline constexpr std::string_view kListRule = R"((10X, 38("-")))";
inline constexpr std::string_view kListRow = R"((10X, F8.4, 2X, F12.8, 2X, F12.8))";

}  // namespace zelvan::aero::msg
