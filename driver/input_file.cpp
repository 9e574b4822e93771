#include "driver/input_file.hpp"

#include <cmath>

#include "driver/constants.hpp"
#include "driver/flutter_input.hpp"
#include "driver/input_markers.hpp"
#include "driver/messages.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

using textio::Layout;
using textio::ReadWarnings;
using textio::RecordSource;
using textio::Target;

void append(ReadWarnings& to, const ReadWarnings& more) { to.insert(to.end(), more.begin(), more.end()); }

// Records 10 and 13: a value in columns 1-10 and, when column 25 holds
// "<", a second one in columns 15-24; otherwise `second` keeps its default.
// Returns the warnings of the read.
ReadWarnings read_optional_pair(RecordSource& in, double& first, double& second, std::string_view what) {
  static const Layout kText("(A30)");
  static const Layout kTwo("(F10.0,4X,F10.0)");
  static const Layout kOne("(F10.0)");
  std::string text(30, ' ');
  in.read(kText, std::array<Target, 1>{&text}, what);
  RecordSource inner = RecordSource::from_text(text, in.name(), in.lines_read());
  if (text[24] == '<') return inner.read(kTwo, std::array<Target, 2>{&first, &second}, what);
  return inner.read(kOne, std::array<Target, 1>{&first}, what);
}

// The aerodynamic values and coefficients are zero unless the file gives
// them; the record may hold values of an earlier case.
void clear_aero_values(CaseParameters& cp) { cp.f_s = cp.w_star = cp.x_p = cp.Ma = cp.aero_scale = 0.0; }

void clear_coefficients(CaseParameters& cp) {
  cp.QR11 = cp.QS11 = cp.QR12 = cp.QS12 = 0.0;
  cp.QR21 = cp.QS21 = cp.QR22 = cp.QS22 = 0.0;
}

void set_sweep_defaults(CaseParameters& cp) {
  set_flutter_group_defaults(cp);
  cp.x_ref = kSweepDefaults.x_ref;
  cp.rho = kSweepDefaults.rho;
  cp.q_start = kSweepDefaults.q_start;
  cp.nstep = kSweepDefaults.nstep;
  cp.nextra = kSweepDefaults.nextra;
  cp.coupling_tolerance = kSweepDefaults.coupling_tolerance;
}

// A title cut at its last column must not end in part of a multi-byte
// UTF-8 character: such a part is cut off too (replaced by blanks).
void cut_partial_character(std::string& text) {
  std::size_t lead = text.size();
  // At most three continuation bytes (10xxxxxx) end a character.
  for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0U) != 0x80U) {
      lead = text.size() - back;
      break;
    }
  }
  if (lead == text.size()) return;
  const auto c = static_cast<unsigned char>(text[lead]);
  const std::size_t length = (c & 0xE0U) == 0xC0U ? 2 : (c & 0xF0U) == 0xE0U ? 3 : (c & 0xF8U) == 0xF0U ? 4 : 1;
  if (lead + length > text.size()) text.replace(lead, text.size() - lead, text.size() - lead, ' ');
}

}  // namespace

ReadWarnings read_input_file(CaseParameters& cp, const std::string& path, std::string_view note) {
  static const Layout kRecord1("(F10.0,20X,A40)");
  static const Layout kReal("(F10.0)");
  static const Layout kInteger("(I10)");
  static const Layout kAero("(F10.0,4(2X,F10.0))");
  static const Layout kCoefficients("(F10.0,2X,F10.0)");

  RecordSource in = RecordSource::open_file(path, note);
  ReadWarnings warnings;
  const auto read = [&](const Layout& layout, std::span<const Target> targets, std::string_view what) {
    append(warnings, in.read(layout, targets, what));
  };
  const auto real = [&](double& x, std::string_view what) { read(kReal, std::array<Target, 1>{&x}, what); };
  const auto integer = [&](int& n, std::string_view what) { read(kInteger, std::array<Target, 1>{&n}, what); };

  read(kRecord1, std::array<Target, 2>{&cp.t_A, &cp.title}, "record 1 (t_A, title)");
  cut_partial_character(cp.title);
  real(cp.t_E, "record 2 (t_E)");
  integer(cp.npoints, "record 3 (npoints)");
  real(cp.y0[0], "record 4 (Y*_0_1)");
  real(cp.y0[1], "record 5 (Y*_0_2)");
  real(cp.y0[2], "record 6 (Y_0_1)");
  real(cp.y0[3], "record 7 (Y_0_2)");
  real(cp.M_1, "record 8 (M_1)");
  real(cp.M_2, "record 9 (M_2)");
  cp.mass_scale = 1.0;
  append(warnings, read_optional_pair(in, cp.S_m, cp.mass_scale, "record 10 (S_m, mass_scale)"));
  if (cp.mass_scale < kNegligible) cp.mass_scale = 1.0;
  cp.M_1 *= cp.mass_scale;
  cp.M_2 *= cp.mass_scale;
  cp.S_m *= cp.mass_scale;
  real(cp.D_1, "record 11 (D_1)");
  real(cp.D_2, "record 12 (D_2)");
  cp.K_m = 0.0;
  append(warnings, read_optional_pair(in, cp.K_1, cp.K_m, "record 13 (K_1, K_m)"));
  real(cp.K_2, "record 14 (K_2)");
  real(cp.kappa, "record 15 (kappa)");
  real(cp.a_0, "record 16 (a_0)");
  real(cp.f_0, "record 17 (f_0)");
  real(cp.phi, "record 18 (phi)");
  real(cp.tolerance, "record 19 (tolerance)");
  integer(cp.integ_method, "record 20 (integ_method)");
  integer(cp.listing_unit, "record 21 (listing_unit)");

  // A marker's line, keeping the warning of a marker that stands further
  // right than column 1.
  const auto marker = [&](std::string_view what, std::string_view markers, std::string_view not_read) {
    MarkerLine line = read_marker(in, what, markers, not_read);
    if (line.warning) warnings.push_back(std::move(*line.warning));
    return line;
  };

  const MarkerLine first = marker("record 22 (first marker)", kFirstMarkers, msg::kFirstMarkerNotRead);
  clear_aero_values(cp);
  clear_coefficients(cp);
  if (!first.opens) {
    set_sweep_defaults(cp);
    return warnings;
  }
  read(kAero, std::array<Target, 5>{&cp.f_s, &cp.w_star, &cp.x_p, &cp.Ma, &cp.aero_scale},
       "the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale)");
  if (first.marker == '.') {
    read(kCoefficients, std::array<Target, 2>{&cp.QR11, &cp.QS11}, "coefficient record 1 (QR11, QS11)");
    read(kCoefficients, std::array<Target, 2>{&cp.QR12, &cp.QS12}, "coefficient record 2 (QR12, QS12)");
    read(kCoefficients, std::array<Target, 2>{&cp.QR21, &cp.QS21}, "coefficient record 3 (QR21, QS21)");
    read(kCoefficients, std::array<Target, 2>{&cp.QR22, &cp.QS22}, "coefficient record 4 (QR22, QS22)");
  }
  if (!marker("the second marker", kGroupMarkers, msg::kSecondMarkerNotRead).opens) {
    set_sweep_defaults(cp);
    return warnings;
  }
  real(cp.x_ref, "sweep record 1 (x_ref)");
  real(cp.rho, "sweep record 2 (rho)");
  real(cp.q_start, "sweep record 3 (q_start)");
  integer(cp.nstep, "sweep record 4 (nstep)");
  integer(cp.nextra, "sweep record 5 (nextra)");
  integer(cp.coupling_tolerance, "sweep record 6 (coupling_tolerance)");
  append(warnings, read_flutter_group(in, cp));
  return warnings;
}

}  // namespace zelvan::driver
