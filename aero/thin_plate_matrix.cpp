#include "aero/thin_plate_matrix.hpp"

#include <cmath>
#include <string>

#include "aero/cnm3dk.hpp"
#include "aero/detail/messages.hpp"
#include "aero/flow.hpp"
#include "numlib/error_handler.hpp"
#include "textio/layout.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::aero {
namespace {

// i*k*z written out: the products the coefficients have always been formed
// with.
std::complex<double> i_times(double k, std::complex<double> z) { return {-k * z.imag(), k * z.real()}; }

// The loads per unit dynamic pressure from the coefficients.
Matrix2 loads(double k, double mach, double aero_scale, std::complex<double> c1, std::complex<double> c2,
              std::complex<double> c3, std::complex<double> c4) {
  const double beta = 1.0 / std::sqrt(1.0 - mach * mach);
  const double f = kTwoPi * beta * aero_scale;
  return {f * i_times(k, c1), -f * i_times(k, c2), f * (c1 + c3), -f * (c2 + c4)};
}

}  // namespace

Matrix2 thin_plate_matrix(double k, double x_p, double mach, double aero_scale, std::string_view frequency_name) {
  std::complex<double> c1, c2, c3, c4;
  {
    const numlib::ErrorNote note([&] {
      static const textio::Layout kNote(msg::kNoteThinPlate);
      const textio::Value values[] = {frequency_name, k, x_p};
      std::string text;
      for (const std::string& line : textio::format_lines(kNote, values)) text += line + '\n';
      return text;
    });
    cnm3dk(k, x_p, c1, c2, c3, c4);
  }
  return loads(k, mach, aero_scale, c1, c2, c3, c4);
}

Matrix2 plate_matrix(double k, double x_p, double mach, double aero_scale, std::complex<double> ck) {
  std::complex<double> c1, c2, c3, c4;
  plate_coefficients(k, x_p, ck, c1, c2, c3, c4);
  return loads(k, mach, aero_scale, c1, c2, c3, c4);
}

}  // namespace zelvan::aero
