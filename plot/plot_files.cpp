#include "plot/plot_files.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>

#include "plot/clock.hpp"
#include "plot/detail/messages.hpp"
#include "plot/detail/scale.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::plot {
namespace {

constexpr std::size_t kBufferWidth = 100;    // line buffer; layout lines are read this wide
constexpr std::size_t kStyleLineWidth = 80;  // style lines are read and computed this wide
constexpr int kAnnotationX = 7500;           // x position of every annotation text
constexpr int kAnnotationTop = 9400;         // y position of the heading
constexpr int kAnnotationLineStep = 320;     // y step before each parameter line
constexpr int kAnnotationGroupStep = 80;     // further y step before a new group
constexpr int kAnnotationBrace = 10;         // value of the brace lines

struct Axes {
  double f_axis = 0.0;  // frequency axis of the spectra
  double d_axis = 0.0;  // displacement axis of the phase plane
  double v_axis = 0.0;  // velocity axis of the phase plane
};

void write_annotation_file(std::ostream& out, std::span<const double, 4> y0, const PlotCase& c) {
  static const textio::Layout kColour(msg::kAnnotationColour);
  static const textio::Layout kPen(msg::kAnnotationPen);
  static const textio::Layout kOpen(msg::kAnnotationOpen);
  static const textio::Layout kClose(msg::kAnnotationClose);
  static const textio::Layout kHeading(msg::kAnnotationHeading);
  static const textio::Layout kY01(msg::kAnnotationY01), kY02(msg::kAnnotationY02);
  static const textio::Layout kM1(msg::kAnnotationM1), kM2(msg::kAnnotationM2), kSm(msg::kAnnotationSm);
  static const textio::Layout kD1(msg::kAnnotationD1), kD2(msg::kAnnotationD2);
  static const textio::Layout kK1(msg::kAnnotationK1), kK2(msg::kAnnotationK2), kKm(msg::kAnnotationKm);
  static const textio::Layout kFs(msg::kAnnotationFs);
  static const textio::Layout kF01(msg::kAnnotationF01), kF02(msg::kAnnotationF02);

  // One parameter line: its layout, whether it begins a group (a larger y
  // step), whether a pen block and a close-brace line follow it, and its
  // values after x and y.
  struct Row {
    const textio::Layout& layout;
    bool new_group;
    bool closed;
    std::array<double, 2> values;
    std::size_t count;
  };
  const Row rows[] = {
      {kY01, true, true, {y0[2], c.t_A}, 2},   {kY02, false, true, {y0[3], c.t_E}, 2},
      {kM1, true, true, {c.M_1, 0.0}, 1},      {kM2, false, true, {c.M_2, 0.0}, 1},
      {kSm, false, true, {c.S_m, 0.0}, 1},     {kD1, true, true, {c.D_1, 0.0}, 1},
      {kD2, false, false, {c.D_2, 0.0}, 1},    {kK1, true, true, {c.K_1, 0.0}, 1},
      {kK2, false, false, {c.K_2, 0.0}, 1},    {kKm, false, true, {c.K_m, 0.0}, 1},
      {kFs, true, false, {c.f_s, 0.0}, 1},     {kF01, true, true, {c.f_0_1, 0.0}, 1},
      {kF02, false, false, {c.f_0_2, 0.0}, 1},
  };

  std::string heading(msg::kAnnotationHeadingText);
  heading.resize(20, ' ');
  textio::write(out, kColour, {});
  textio::write(out, kPen, {});
  textio::write(out, kOpen, {kAnnotationBrace});
  int y = kAnnotationTop;
  textio::write(out, kHeading, {kAnnotationX, y, std::string_view(heading)});
  textio::write(out, kPen, {});
  textio::write(out, kClose, {kAnnotationBrace});
  for (const Row& row : rows) {
    y -= kAnnotationLineStep;
    if (row.new_group) y -= kAnnotationGroupStep;
    textio::write(out, kOpen, {kAnnotationBrace});
    if (row.count == 2) {
      textio::write(out, row.layout, {kAnnotationX, y, row.values[0], row.values[1]});
    } else {
      textio::write(out, row.layout, {kAnnotationX, y, row.values[0]});
    }
    if (row.closed) {
      textio::write(out, kPen, {});
      textio::write(out, kClose, {kAnnotationBrace});
    }
  }
}

// Writes `text` as one line of the output file.
void write_line(std::ostream& out, const std::string& text) {
  static const textio::Layout kCopied(msg::kCopiedLine);
  textio::write(out, kCopied, {std::string_view(text)});
}

void copy_layout_template(TemplateSource& in, std::ostream& out, const PlotCase& c, const Axes& axes) {
  static const textio::Layout kLine(msg::kLayoutTemplateLine);
  static const textio::Layout kMin(msg::kRangeMin), kMax(msg::kRangeMax), kSpacing(msg::kGridSpacing);
  struct Range {
    std::string_view marker;
    std::array<double, 3> values;  // RANGEMIN, RANGEMAX, GRSPACING
  };
  const Range ranges[] = {
      {msg::kMarkerFrame02X, {0.0, c.t_E, 0.25 * c.t_E}},
      {msg::kMarkerFrame03X, {0.0, c.t_E, 0.25 * c.t_E}},
      {msg::kMarkerFrame04X, {0.0, axes.f_axis, 0.25 * axes.f_axis}},
      {msg::kMarkerFrame05X, {-axes.d_axis, axes.d_axis, 0.5 * axes.d_axis}},
      {msg::kMarkerFrame05Y, {-axes.v_axis, axes.v_axis, 0.5 * axes.v_axis}},
  };
  const textio::Layout* const computed[] = {&kMin, &kMax, &kSpacing};

  std::string line(kBufferWidth, ' ');
  while (in.read_line(kLine, line)) {
    const Range* hit = nullptr;
    for (const Range& range : ranges) {
      if (line.find(range.marker) != std::string::npos) {
        hit = &range;
        break;
      }
    }
    if (hit == nullptr) {
      write_line(out, line);
      continue;
    }
    // The marker line is dropped; each of the next three lines is replaced.
    for (std::size_t i = 0; i < 3; ++i) {
      if (!in.read_line(kLine, line)) return;
      write_line(out, textio::write_text(kBufferWidth, *computed[i], {hit->values[i]}));
    }
  }
}

void copy_style_template(TemplateSource& in, std::ostream& out, std::span<const double, 4> y0, const PlotCase& c) {
  static const textio::Layout kLine(msg::kStyleTemplateLine);
  static const textio::Layout kComment(msg::kStyleComment);
  static const textio::Layout kInfo01(msg::kStyleInfo01), kInfo02(msg::kStyleInfo02), kInfo03(msg::kStyleInfo03);
  static const textio::Layout kInfo04(msg::kStyleInfo04), kInfo05(msg::kStyleInfo05), kInfo06(msg::kStyleInfo06);
  static const textio::Layout kInfo07(msg::kStyleInfo07), kInfo08(msg::kStyleInfo08), kInfo09(msg::kStyleInfo09);
  const std::string_view markers[] = {
      msg::kMarkerComment, msg::kMarkerInfo01, msg::kMarkerInfo02, msg::kMarkerInfo03, msg::kMarkerInfo04,
      msg::kMarkerInfo05,  msg::kMarkerInfo06, msg::kMarkerInfo07, msg::kMarkerInfo08, msg::kMarkerInfo09,
  };

  // The text line for marker `index`; the date and time are taken now.
  const auto text_line = [&](std::size_t index) {
    const auto text = [](const textio::Layout& layout, std::initializer_list<textio::Value> values) {
      return textio::write_text(kStyleLineWidth, layout, values);
    };
    switch (index) {
      case 0: {
        const TimeAndDate now = uhrdat();
        return text(kComment, {c.title, std::string_view(now.date), std::string_view(now.time).substr(0, 5)});
      }
      case 1:
        return text(kInfo01, {y0[2], y0[0], c.t_A});
      case 2:
        return text(kInfo02, {y0[3], y0[1], c.t_E});
      case 3:
        return text(kInfo03, {c.M_1, c.M_2, c.S_m});
      case 4:
        return text(kInfo04, {c.D_1, c.D_2});
      case 5:
        return text(kInfo05, {c.K_1, c.K_2});
      case 6:
        return text(kInfo06, {c.K_m, c.f_s});
      case 7:
        return text(kInfo07, {c.f_0_1, c.f_0_2, c.kappa});
      case 8:
        return text(kInfo08, {c.a_0, c.f_0, c.phi});
      default:
        return text(kInfo09, {c.w_star, c.x_p, c.Ma});
    }
  };

  std::string line(kBufferWidth, ' ');
  while (in.read_line(kLine, line)) {
    std::size_t index = std::size(markers);
    for (std::size_t i = 0; i < std::size(markers); ++i) {
      if (line.find(markers[i]) != std::string::npos) {
        index = i;
        break;
      }
    }
    if (index == std::size(markers)) {
      write_line(out, line);
      continue;
    }
    // The marker line is dropped and the line after it replaced.
    const std::string replacement = text_line(index);
    if (!in.read_line(kLine, line)) return;
    write_line(out, replacement);
  }
}

}  // namespace

void write_plot_files(bool is_unix, double ymax_disp, double ymax_vel, std::span<const double, 4> y0,
                      const PlotCase& values, const PlotFiles& files) {
  if (!is_unix && files.annotation == nullptr) {
    throw std::invalid_argument("write_plot_files: the annotation file is needed unless is_unix");
  }
  Axes axes;
  const double fmax = std::fabs(values.a_0) > 1.0E-10 ? std::max(values.f_0_2, values.f_0) : values.f_0_2;
  axes.f_axis = scale(fmax);
  axes.d_axis = scale(ymax_disp);
  axes.v_axis = scale(ymax_vel);

  if (!is_unix) write_annotation_file(*files.annotation, y0, values);
  copy_layout_template(files.layout_template, files.layout, values, axes);
  copy_style_template(files.style_template, files.style, y0, values);
}

}  // namespace zelvan::plot
