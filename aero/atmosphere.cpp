#include "aero/atmosphere.hpp"

#include <cmath>
#include <stdexcept>

namespace zelvan::aero {

AirState standard_atmosphere(double altitude) {
  const double h = altitude;
  if (!(h >= 0.0 && h <= kAtmosphereTop)) {
    throw std::domain_error("the standard atmosphere is defined here from 0 to 20000 m geopotential altitude");
  }
  const double r = kAirGasConstant;
  const double g0 = kStandardGravity;
  AirState s;
  if (h <= kTropopause) {
    s.temperature = kSeaLevelTemperature - kTroposphereLapseRate * h;
    s.pressure = kSeaLevelPressure * std::pow(s.temperature / kSeaLevelTemperature, g0 / (r * kTroposphereLapseRate));
  } else {
    const AirState base = standard_atmosphere(kTropopause);
    s.temperature = base.temperature;
    s.pressure = base.pressure * std::exp(-g0 * (h - kTropopause) / (r * base.temperature));
  }
  s.density = s.pressure / (r * s.temperature);
  s.sound_speed = std::sqrt(kHeatCapacityRatio * r * s.temperature);
  return s;
}

double geopotential_altitude(double geometric) { return kEarthRadius * geometric / (kEarthRadius + geometric); }

}  // namespace zelvan::aero
