// The plot layout writer: the annotation file, and the layout and style
// files filled in from their templates.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

#include "plot/template_source.hpp"

namespace zelvan::plot {

// The case values the plot files show (units as in the case parameters).
struct PlotCase {
  std::string_view title;  // case title, 40 characters
  double t_A = 0.0, t_E = 0.0;
  double M_1 = 0.0, M_2 = 0.0, S_m = 0.0;
  double D_1 = 0.0, D_2 = 0.0;
  double K_1 = 0.0, K_2 = 0.0, K_m = 0.0, kappa = 0.0;
  double f_s = 0.0;
  double f_0_1 = 0.0, f_0_2 = 0.0;
  double a_0 = 0.0, f_0 = 0.0, phi = 0.0;  // phi in degrees
  double w_star = 0.0, x_p = 0.0, Ma = 0.0;
};

// The open files of the plot writer.  The caller opens and closes them
// and checks the output streams for write errors when closing them.
struct PlotFiles {
  TemplateSource& layout_template;  // zelvan.lay0
  TemplateSource& style_template;   // zelvan.sty0
  std::ostream* annotation;         // zelvan.itp; null when is_unix
  std::ostream& layout;             // zelvan.lay
  std::ostream& style;              // zelvan.sty
};

// Writes the plot files of a finished run, in this order:
//  - unless `is_unix`, the annotation file: the parameter lines of the
//    annotation program with their x and y positions;
//  - the layout file: the layout template copied line by line, except that
//    each range marker line (FRAME02..05_RANGEX, FRAME05_RANGEY) and the
//    three lines after it are replaced by RANGEMIN, RANGEMAX and GRSPACING
//    of the time axis (0 to t_E), the frequency axis (0 to scale of
//    max(f_0_2, f_0), f_0 counting only when a_0 is not zero), the
//    displacement axis (+-scale(ymax_disp)) or the velocity axis
//    (+-scale(ymax_vel));
//  - the style file: the style template copied line by line, except that
//    each text marker line (COMMENT01, INFOLINE01..09) and the line after
//    it are replaced by one text line (title with the date and time of
//    uhrdat; the parameter values).
// Template lines are read 100 (layout) and 80 (style) columns wide; copied
// lines are written 100 columns wide, computed layout lines 100 and
// computed style lines 80, blank-padded.  A template that ends inside a
// replacement ends its file after the lines written so far.  y0 is the
// initial state: velocities of DOF 1 and 2, then their displacements.
// `files.annotation` must be given when `is_unix` is false
// (std::invalid_argument otherwise).
void write_plot_files(bool is_unix, double ymax_disp, double ymax_vel, std::span<const double, 4> y0,
                      const PlotCase& values, const PlotFiles& files);

}  // namespace zelvan::plot
