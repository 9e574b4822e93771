// The standard atmosphere (ISO 2533, the ICAO standard atmosphere) from
// sea level to 20 km: the air's state at an altitude, for flight
// conditions stated by altitude rather than by density and speed of sound.
#pragma once

namespace zelvan::aero {

// The standard's defining constants.
inline constexpr double kSeaLevelTemperature = 288.15;   // K
inline constexpr double kSeaLevelPressure = 101325.0;    // Pa
inline constexpr double kSeaLevelDensity = 1.225;        // kg/m^3, the standard's rounded value (for u sqrt(rho/rho_0))
inline constexpr double kAirGasConstant = 287.05287;     // J/(kg K)
inline constexpr double kStandardGravity = 9.80665;      // m/s^2
inline constexpr double kTroposphereLapseRate = 0.0065;  // K/m
inline constexpr double kTropopause = 11000.0;           // m, geopotential
inline constexpr double kAtmosphereTop = 20000.0;        // m, geopotential: the end of the isothermal layer
inline constexpr double kEarthRadius = 6356766.0;        // m, the standard's radius for geopotential altitude
inline constexpr double kHeatCapacityRatio = 1.4;

struct AirState {
  double temperature = 0.0;  // K
  double pressure = 0.0;     // Pa
  double density = 0.0;      // kg/m^3
  double sound_speed = 0.0;  // m/s
};

// The standard atmosphere at geopotential altitude H [m], 0 <= H <= 20000
// (the pressure altitude of flight): up to the tropopause at 11 km the
// temperature falls by 6.5 K/km and p = p0 (T/T0)^(g0/(R L)); above it the
// layer is isothermal at 216.65 K and p falls as exp(-g0 (H - 11000)/(R T));
// rho = p/(R T), a = sqrt(1.4 R T).  An altitude outside 0..20000 or not a
// number throws std::domain_error naming the range.
AirState standard_atmosphere(double altitude);

// The geopotential altitude of geometric altitude h [m]: r h/(r + h),
// r = 6356766 m; h > -r.
double geopotential_altitude(double geometric);

}  // namespace zelvan::aero
