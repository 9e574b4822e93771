// The plot layout writer and the figures: fills the layout and style templates of the
// plotting program with axis ranges and annotation texts and writes the
// annotation file; writes the gnuplot script of the figures and runs it.
//
//   plot::TemplateSource lay0 = plot::TemplateSource::open("zelvan.lay0", plot::TemplateKind::layout);
//   plot::TemplateSource sty0 = plot::TemplateSource::open("zelvan.sty0", plot::TemplateKind::style);
//   plot::write_plot_files(is_unix, ymax_disp, ymax_vel, y0, values,
//                          {lay0, sty0, annotation, layout, style});
//   plot::write_gnuplot_script(script, figures);   // zelvan.gp
//   plot::draw_figures({"zelvan.gp", "zelvan.gp", plot::figure_files(figures), {}});
//
// The axis scaling and the message table are internal (plot/detail/).
#pragma once

#include "plot/clock.hpp"
#include "plot/gnuplot_run.hpp"
#include "plot/gnuplot_script.hpp"
#include "plot/plot_files.hpp"
#include "plot/template_source.hpp"
