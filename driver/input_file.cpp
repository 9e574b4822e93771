#include "driver/input_file.hpp"

#include <cmath>
#include <stdexcept>
#include <vector>

#include "driver/constants.hpp"
#include "driver/flutter_input.hpp"
#include "driver/input_markers.hpp"
#include "driver/input_records.hpp"
#include "driver/messages.hpp"
#include "driver/nonlinear_input.hpp"
#include "driver/section_input.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

using textio::Layout;
using textio::ReadWarnings;
using textio::RecordSource;
using textio::Target;

void append(ReadWarnings& to, const ReadWarnings& more) { to.insert(to.end(), more.begin(), more.end()); }

// The reader's layout of a record as the table of input records gives it.
// All are parsed once, on first use (records 10 and 13 also without
// their second value).
const Layout& layout_of(InputBlock block, int record, bool with_flagged = true) {
  struct Entry {
    InputBlock block;
    int record;
    bool with_flagged;
    Layout layout;
  };
  static const std::vector<Entry> kLayouts = [] {
    std::vector<Entry> entries;
    for (const InputRecord& field : input_records()) {
      if (field.column != 1) continue;  // the first field of its record
      entries.push_back({field.block, field.record, true, Layout(record_layout(field.block, field.record))});
      entries.push_back({field.block, field.record, false, Layout(record_layout(field.block, field.record, false))});
    }
    return entries;
  }();
  for (const Entry& e : kLayouts) {
    if (e.block == block && e.record == record && e.with_flagged == with_flagged) return e.layout;
  }
  throw std::logic_error("layout_of: no such record");
}

// Records 10 and 13: a value in columns 1-10 and, when column 25 holds
// "<", a second one in columns 15-24; otherwise `second` keeps its default.
// Returns the warnings of the read.
ReadWarnings read_optional_pair(RecordSource& in, int record, double& first, double& second) {
  static const Layout kText("(A30)");
  const std::string what = record_label(InputBlock::mandatory, record);
  std::string text(30, ' ');
  in.read(kText, std::array<Target, 1>{&text}, what);
  RecordSource inner = RecordSource::from_text(text, in.name(), in.lines_read());
  if (text[24] == '<') {
    return inner.read(layout_of(InputBlock::mandatory, record), std::array<Target, 2>{&first, &second}, what);
  }
  return inner.read(layout_of(InputBlock::mandatory, record, false), std::array<Target, 1>{&first}, what);
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

// Reads the case from `in` (see read_input_file).
ReadWarnings read_input_records(CaseParameters& cp, RecordSource& in) {
  using enum InputBlock;
  ReadWarnings warnings;
  // Reads record `record` of `block` into `targets`, with the layout and
  // the name in messages from the table of input records.
  const auto read = [&](InputBlock block, int record, std::span<const Target> targets) {
    append(warnings, in.read(layout_of(block, record), targets, record_label(block, record)));
  };
  const auto one = [&](InputBlock block, int record, Target target) {
    read(block, record, std::array<Target, 1>{target});
  };

  read(mandatory, 1, std::array<Target, 2>{&cp.t_A, &cp.title});
  cut_partial_character(cp.title);
  one(mandatory, 2, &cp.t_E);
  one(mandatory, 3, &cp.npoints);
  one(mandatory, 4, &cp.y0[0]);
  one(mandatory, 5, &cp.y0[1]);
  one(mandatory, 6, &cp.y0[2]);
  one(mandatory, 7, &cp.y0[3]);
  one(mandatory, 8, &cp.M_1);
  one(mandatory, 9, &cp.M_2);
  cp.mass_scale = 1.0;
  append(warnings, read_optional_pair(in, 10, cp.S_m, cp.mass_scale));
  if (cp.mass_scale < kNegligible) cp.mass_scale = 1.0;
  cp.M_1 *= cp.mass_scale;
  cp.M_2 *= cp.mass_scale;
  cp.S_m *= cp.mass_scale;
  one(mandatory, 11, &cp.D_1);
  one(mandatory, 12, &cp.D_2);
  cp.K_m = 0.0;
  append(warnings, read_optional_pair(in, 13, cp.K_1, cp.K_m));
  one(mandatory, 14, &cp.K_2);
  one(mandatory, 15, &cp.kappa);
  one(mandatory, 16, &cp.a_0);
  one(mandatory, 17, &cp.f_0);
  one(mandatory, 18, &cp.phi);
  one(mandatory, 19, &cp.tolerance);
  one(mandatory, 20, &cp.integ_method);
  one(mandatory, 21, &cp.listing_unit);

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
  cp.section.reset();
  cp.nonlinear.reset();
  if (!first.opens) {
    set_sweep_defaults(cp);
    return warnings;
  }
  read(aero, 1, std::array<Target, 5>{&cp.f_s, &cp.w_star, &cp.x_p, &cp.Ma, &cp.aero_scale});
  if (first.marker == '.') {
    read(coefficients, 1, std::array<Target, 2>{&cp.QR11, &cp.QS11});
    read(coefficients, 2, std::array<Target, 2>{&cp.QR12, &cp.QS12});
    read(coefficients, 3, std::array<Target, 2>{&cp.QR21, &cp.QS21});
    read(coefficients, 4, std::array<Target, 2>{&cp.QR22, &cp.QS22});
  }
  if (!marker("the second marker", kGroupMarkers, msg::kSecondMarkerNotRead).opens) {
    set_sweep_defaults(cp);
    return warnings;
  }
  one(sweep, 1, &cp.x_ref);
  one(sweep, 2, &cp.rho);
  one(sweep, 3, &cp.q_start);
  one(sweep, 4, &cp.nstep);
  one(sweep, 5, &cp.nextra);
  one(sweep, 6, &cp.coupling_tolerance);
  append(warnings, read_flutter_group(in, cp));
  append(warnings, read_section_group(in, cp));
  append(warnings, read_nonlinear_group(in, cp));
  return warnings;
}

}  // namespace

ReadWarnings read_input_file(CaseParameters& cp, const std::string& path, std::string_view note) {
  RecordSource in = RecordSource::open_file(path, note);
  return read_input_records(cp, in);
}

ReadWarnings read_input_text(CaseParameters& cp, std::string_view text, std::string_view name) {
  RecordSource in = RecordSource::from_file_text(text, name);
  return read_input_records(cp, in);
}

}  // namespace zelvan::driver
