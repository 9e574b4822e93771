#include "driver/result_files.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/figures.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/result_names.hpp"
#include "driver/spectrum.hpp"
#include "driver/time_history.hpp"
#include "plot/plot.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

// The directory prefix of each operating system (all blank here): only
// its first character is put before a base name, and blanks at either end
// of a file name are ignored.
struct Prefixes {
  std::string win = std::string(40, ' ');
  std::string sgi = std::string(40, ' ');
  std::string lnx = std::string(40, ' ');
};

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The title as the quoted title strings of zelvan.dat and zelvan.sty take
// it: a double quote would end the string early, so it becomes a single
// quote there.
std::string title_for_quotes(std::string text) {
  std::replace(text.begin(), text.end(), '"', '\'');
  return text;
}

std::string file_name(const std::string& prefix, std::string_view base) {
  return trimmed(prefix.substr(0, 1) + std::string(base));
}

// The output channel of the results listing: the console or a file.
// (The start-up has refused a listing file that is another file of the
// run.)
class Listing {
 public:
  explicit Listing(int channel) {
    if (channel <= 0) return;
    active_ = true;
    if (channel == 6) return;
    file_.emplace(listing_file_name(channel));
  }
  bool active() const { return active_; }
  std::ostream& stream() { return file_ ? file_->stream() : textio::console(); }
  void close() {
    if (file_) file_->close();
  }

 private:
  bool active_ = false;
  std::optional<textio::OutputFile> file_;
};

}  // namespace

plot::PlotCase plot_case(const CaseParameters& cp, const StructuralModel& structure, const std::string& plot_title) {
  const RealMatrix2& M = structure.mass;
  const RealMatrix2& D = structure.damping;
  const RealMatrix2& K = structure.stiffness;
  // The annotations name the records' quantities; of a section's two mass
  // couplings they show the plunge row's.
  return plot::PlotCase{.title = plot_title,
                        .t_A = cp.t_A,
                        .t_E = cp.t_E,
                        .M_1 = M[0],
                        .M_2 = M[3],
                        .S_m = M[2],
                        .D_1 = D[0],
                        .D_2 = D[3],
                        .K_1 = K[0],
                        .K_2 = K[3],
                        .K_m = K[2],
                        .kappa = cp.kappa,
                        .f_s = cp.f_s,
                        .f_0_1 = cp.f_0_1,
                        .f_0_2 = cp.f_0_2,
                        .a_0 = cp.a_0,
                        .f_0 = cp.f_0,
                        .phi = cp.phi,
                        .w_star = cp.w_star,
                        .x_p = cp.x_p,
                        .Ma = cp.Ma};
}

std::string listing_file_name(int channel) {
  const std::string variable = std::to_string(channel);
  if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') return value;
  static const textio::Layout kName(R"(("FOR", I3.3))");
  // Channels above 999 keep all their digits.
  return channel <= 999 ? trimmed(textio::write_text(6, kName, {channel})) : "FOR" + variable;
}

namespace {

constexpr const char* kTitleLayout = R"(("  Title = """, A, """"))";
constexpr const char* kZoneLayout = R"(("  Zone I = ", I5, ", F=Point "))";
constexpr const char* kCommentLayout = R"(("#  ", I9, 4F12.5))";
constexpr const char* kRecordLayout = "(17(1PG14.5))";
constexpr const char* kListRowLayout = "(12F12.5)";
constexpr const char* kBlankLayout = R"((" "))";

// The header of zelvan.dat: title, variables, zone and two comment lines;
// zelvan_ss.dat has the same header with its own variables.
const std::array<std::string_view, 5> kDataHeader{kTitleLayout, msg::kDataVariables, kZoneLayout, kCommentLayout,
                                                  kCommentLayout};
constexpr const char* kStateSpaceRecordLayout = "(7(1PG14.5))";

void write_data_header(std::ostream& out, const CaseParameters& cp, std::string_view variables) {
  const std::string title = trimmed(title_for_quotes(cp.title));
  textio::write(out, message_layout(kDataHeader[0]), {std::string_view(title)});
  textio::write(out, message_layout(variables), {});
  textio::write(out, message_layout(kDataHeader[2]), {cp.npoints});
  textio::write(out, message_layout(kDataHeader[3]), {cp.npoints, cp.f_0_1, 0.01, cp.f_0_2, 0.01});
  textio::write(out, message_layout(kDataHeader[4]), {0, cp.f_0_1, 0.1, cp.f_0_2, 0.1});
}

// The state-space history's data file: the header and one record per
// sample, the start at t_A included.
void write_state_space_file(std::ostream& out, const CaseParameters& cp, const StateSpaceHistory& h) {
  write_data_header(out, cp, msg::kStateSpaceVariables);
  const textio::Layout& record = message_layout(kStateSpaceRecordLayout);
  for (std::size_t r = 0; r < h.t.size(); ++r) {
    textio::write(out, record, {h.t[r], h.y[r][0], h.y[r][1], h.y[r][2], h.y[r][3], h.genf[r][0], h.genf[r][1]});
  }
}

// The largest displacement and velocity magnitudes over the samples.
struct ResponsePeaks {
  double displacement = 0.0, velocity = 0.0;
};

// The time-history data file: its header, the start record and one record
// per sample with the spectrum and the force terms.  Returns the peaks the
// plot files scale to.
ResponsePeaks write_data_file(std::ostream& out, const CaseParameters& cp, const TimeHistory& h, const Spectrum& s) {
  write_data_header(out, cp, kDataHeader[1]);
  const textio::Layout& record = message_layout(kRecordLayout);
  textio::write(out, record,
                {cp.t_A, cp.y0[0], cp.y0[1], cp.y0[2], cp.y0[3], s.FouF[0], s.FouCY3[0], s.FouPY3[0], s.FouCY4[0],
                 s.FouPY4[0], 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
  ResponsePeaks peaks;
  for (int i = 1; i <= cp.npoints - 1; ++i) {
    const auto r = static_cast<std::size_t>(i - 1);  // sample i
    const auto line = static_cast<std::size_t>(i);   // spectral line i + 1
    textio::write(out, record,
                  {h.t[r], h.Y1[r], h.Y2[r], h.Y3[r], h.Y4[r], s.FouF[line], s.FouCY3[line], s.FouPY3[line],
                   s.FouCY4[line], s.FouPY4[line], h.GenF[0][r], h.GenF[1][r], h.RPart[0][r], h.RPart[1][r],
                   h.SumP[0][r], h.SumP[1][r], h.SumP[0][r] + h.SumP[1][r]});
    peaks.displacement = std::max({peaks.displacement, std::fabs(h.Y3[r]), std::fabs(h.Y4[r])});
    peaks.velocity = std::max({peaks.velocity, std::fabs(h.Y1[r]), std::fabs(h.Y2[r])});
  }
  return peaks;
}

// The listing (when its unit is active): header, start row and one row per
// sample.  The console's blank line before the last sample is written here,
// in its place among the rows, since the listing may be the console.
void write_listing(Listing& listing, const CaseParameters& cp, const TimeHistory& h, const Spectrum& s) {
  const textio::Layout& row = message_layout(kListRowLayout);
  const textio::Layout& blank = message_layout(kBlankLayout);
  if (listing.active()) {
    textio::write(listing.stream(), message_layout(msg::kListingHeader), {});
    textio::write(listing.stream(), row,
                  {cp.t_A, cp.y0[0], cp.y0[1], cp.y0[2], cp.y0[3], s.FouF[0], s.FouCY3[0], s.FouPY3[0], s.FouCY4[0],
                   s.FouPY4[0]});
    textio::write(listing.stream(), blank, {});
  }
  const int nsteps = cp.npoints - 1;
  for (int i = 1; i <= nsteps; ++i) {
    const auto r = static_cast<std::size_t>(i - 1);  // sample i
    const auto line = static_cast<std::size_t>(i);   // spectral line i + 1
    if (i == nsteps) textio::write(textio::console(), blank, {});
    if (listing.active()) {
      textio::write(listing.stream(), row,
                    {h.t[r], h.Y1[r], h.Y2[r], h.Y3[r], h.Y4[r], s.FouF[line], s.FouCY3[line], s.FouPY3[line],
                     s.FouCY4[line], s.FouPY4[line]});
    }
  }
}

}  // namespace

plot::FixedColumns state_space_file_columns() {
  plot::FixedColumns columns{0, textio::value_widths(message_layout(kStateSpaceRecordLayout))};
  for (std::string_view layout : kDataHeader) columns.header_lines += textio::line_count(message_layout(layout));
  return columns;
}

plot::FixedColumns data_file_columns() {
  plot::FixedColumns columns{0, textio::value_widths(message_layout(kRecordLayout))};
  for (std::string_view layout : kDataHeader) columns.header_lines += textio::line_count(message_layout(layout));
  return columns;
}

void write_result_files(const CaseParameters& cp, const AeroelasticModel& model, const TimeHistory& history,
                        const std::optional<StateSpaceHistory>& state_space, const Spectrum& spectrum,
                        const plot::FigureScript& figures) {
  const Prefixes prefixes;
  const std::string& data_prefix = cp.is_win ? prefixes.win : std::string(40, ' ');
  const std::string& template_prefix = cp.is_sgi ? prefixes.sgi : (cp.is_lnx ? prefixes.lnx : std::string(40, ' '));

  // The start-up has refused any other option.
  if (!cp.is_win && !cp.is_sgi && !cp.is_lnx) throw std::logic_error("write_result_files: no valid option");

  // The files open in this order (the record of the output files follows
  // it).
  textio::OutputFile data(file_name(data_prefix, kDataFile));
  plot::TemplateSource lay0 =
      plot::TemplateSource::open(file_name(template_prefix, kLayoutTemplateFile), plot::TemplateKind::layout);
  plot::TemplateSource sty0 =
      plot::TemplateSource::open(file_name(template_prefix, kStyleTemplateFile), plot::TemplateKind::style);
  textio::OutputFile itp;
  if (cp.is_win) itp.open(file_name(prefixes.win, kAnnotationFile));
  textio::OutputFile lay(file_name(data_prefix, kLayoutFile));
  textio::OutputFile sty(file_name(data_prefix, kStyleFile));
  Listing listing(cp.listing_unit);

  const ResponsePeaks peaks = write_data_file(data.stream(), cp, history, spectrum);
  write_listing(listing, cp, history, spectrum);
  data.close();
  if (state_space) {
    textio::OutputFile file(file_name(data_prefix, kStateSpaceDataFile));
    write_state_space_file(file.stream(), cp, *state_space);
    file.close();
  }

  const std::string plot_title = title_for_quotes(cp.title);
  plot::write_plot_files(cp.is_unix, peaks.displacement, peaks.velocity, cp.y0,
                         plot_case(cp, model.structure, plot_title),
                         {lay0, sty0, cp.is_win ? &itp.stream() : nullptr, lay.stream(), sty.stream()});
  itp.close();
  lay.close();
  sty.close();
  listing.close();
  write_figure_script(figures);
}

}  // namespace zelvan::driver
