// The messages of the Python module's own checks (those of the program's
// reader and analyses come from their modules).  "{1}", "{2}", ... stand for the values of textio::msg::compose.
#pragma once

#include <string_view>

namespace zelvan::python::msg {

inline constexpr std::string_view kUnknownField = "the input file has no field named \"{1}\"";
inline constexpr std::string_view kFieldKind = "the field \"{1}\" holds {2}; it cannot be given {3}";
inline constexpr std::string_view kSectionValue = "Section {1} = {2}: {3}";
inline constexpr std::string_view kUnknownRoute = "route \"{1}\" is not one of \"thin_plate\", \"possio\"{2}";
inline constexpr std::string_view kUnknownMethod =
    "method \"{1}\" is not one of \"sweep\", \"pk\", \"matched\", \"matched_mach\"";
inline constexpr std::string_view kNotPositive = "{1} = {2} must be positive and finite";
inline constexpr std::string_view kNotFinite = "{1} = {2} must be finite";
inline constexpr std::string_view kThinPlateMach = "thin-plate theory needs |mach| < 1, but mach = {1}";
inline constexpr std::string_view kNegative = "{1} = {2} must be finite and not negative";
inline constexpr std::string_view kNeedsRho = "a Section's flutter needs the air density rho [kg/m^3]";
inline constexpr std::string_view kNeedsSpeeds =
    "a Section's flutter needs the sweep's flow speeds (speeds [m/s]) or dynamic pressures (pressures [N/m^2])";
inline constexpr std::string_view kSpeedsOrPressures = "give the sweep's speeds or its pressures, not both";
inline constexpr std::string_view kNoSpeeds = "the sweep has no step (speeds or pressures is empty)";
inline constexpr std::string_view kTooManySpeeds = "the sweep has {1} steps, more than the {2} a sweep keeps";
inline constexpr std::string_view kNoSweep =
    "the case has no sweep to analyse (nstep = {1}: the batch run writes its steps to the console); give speeds or "
    "pressures";
inline constexpr std::string_view kSoundSpeedNeeded = "method \"matched_mach\" needs sound_speed > 0 [m/s]";
inline constexpr std::string_view kExternalOnlyCase =
    "the route \"external\" takes the coefficients of a Case's records; a Section has none";

}  // namespace zelvan::python::msg
