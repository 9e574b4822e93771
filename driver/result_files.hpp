// The result data files of a finished run.
#pragma once

#include <string>

#include "driver/case_parameters.hpp"
#include "driver/model.hpp"
#include "driver/spectrum.hpp"
#include "driver/state_space_history.hpp"
#include "driver/structural_model.hpp"
#include "driver/time_history.hpp"
#include "plot/plot.hpp"

namespace zelvan::driver {

// Opens the output files the operating-system option of `cp` selects,
// writes "zelvan.dat" (title, variables, zone and comment lines, the
// initial record and the records 1 .. npoints-1 of `history` and
// `spectrum`), "zelvan_ss.dat" when there is a state-space history (the
// same header with its seven variables, and its records: t, Y1..Y4, GenF1,
// GenF2 in the layout of zelvan.dat's fields), the optional results
// listing, the plot files (with the structure of `model`) and the figure
// script "zelvan.gp" of `figures`,
// and closes everything.  An invalid option writes its message and stops
// the run (RunStop, limit violation) before any file is written.  A file
// that cannot be written stops the run naming it.
void write_result_files(const CaseParameters& cp, const AeroelasticModel& model, const TimeHistory& history,
                        const std::optional<StateSpaceHistory>& state_space, const Spectrum& spectrum,
                        const plot::FigureScript& figures);

// How "zelvan.dat" is laid out: the lines of its header and the widths of
// a record's fields, from the layouts its writer uses.
plot::FixedColumns data_file_columns();
// The same for "zelvan_ss.dat".
plot::FixedColumns state_space_file_columns();

// The file a listing channel other than the console (6) writes to: the
// value of the environment variable named by the channel number, if it
// exists, else "FOR" and the channel number in three digits (FOR007).
std::string listing_file_name(int channel);

// The case values the plot files and the figures show, with `plot_title`
// as the title: the structural quantities from `structure` (the records'
// own values, or those a section group defines), the rest from `cp`.
plot::PlotCase plot_case(const CaseParameters& cp, const StructuralModel& structure, const std::string& plot_title);

}  // namespace zelvan::driver
