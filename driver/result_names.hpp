// The names of the files a run writes and of the templates it reads: one
// list that the writers and the start-up check share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "driver/case_parameters.hpp"
#include "driver/figures.hpp"
#include "driver/flutter_solution_files.hpp"
#include "textio/folder_lock.hpp"

namespace zelvan::driver {

// Result files of the analysis.
inline constexpr std::string_view kFlutterTableFile = "zelvan_fl.dat";
inline constexpr std::string_view kDataFile = "zelvan.dat";
// The time history with the state-space aerodynamics (flutter_method 1 or
// 2 on a computed route).
inline constexpr std::string_view kStateSpaceDataFile = "zelvan_ss.dat";
inline constexpr std::string_view kLayoutFile = "zelvan.lay";
inline constexpr std::string_view kStyleFile = "zelvan.sty";
inline constexpr std::string_view kAnnotationFile = "zelvan.itp";
inline constexpr std::string_view kPossioListingFile = "possio_sub.out";

// Plot templates (read, never written).
inline constexpr std::string_view kLayoutTemplateFile = "zelvan.lay0";
inline constexpr std::string_view kStyleTemplateFile = "zelvan.sty0";

// When a run writes a result file of the list.
enum class WrittenWhen {
  always,         // every run with a valid option (or whenever its step may write it)
  sweep_to_file,  // nstep > 0
  win_option,     // the option WIN
};

struct ResultFileName {
  std::string_view name;
  WrittenWhen when;
};

// Every result file of a fixed name but the figures (plot::kFigureFiles).
// The listing file is not in it: its name comes from the listing channel
// (listing_file_name).  The flutter summaries, the figure script, the
// figures and their document belong to the result step as well; a run may
// leave them out (the figures can be switched off), but an input is never
// allowed to carry their names.  The lock file of the folder is no result
// but is written by every run, so no input may carry its name either.
inline constexpr ResultFileName kResultFileNames[] = {
    {kFlutterTableFile, WrittenWhen::sweep_to_file},
    {kDataFile, WrittenWhen::always},
    {kStateSpaceDataFile, WrittenWhen::sweep_to_file},
    {kLayoutFile, WrittenWhen::always},
    {kStyleFile, WrittenWhen::always},
    {kAnnotationFile, WrittenWhen::win_option},
    {kPossioListingFile, WrittenWhen::always},
    {kFlutterSolutionFile, WrittenWhen::always},
    {kFlutterJsonFile, WrittenWhen::always},
    {kLcoDataFile, WrittenWhen::sweep_to_file},
    {kFigureScriptName, WrittenWhen::always},
    {textio::FolderLock::kFileName, WrittenWhen::always},
};

// The names of the files the run of `cp` may write: the fixed names of
// kResultFileNames that its option and sweep call for, possio_sub.out
// whatever the route (the route is chosen after the start-up), every
// figure name, and the listing file for a listing channel other than the
// console.
std::vector<std::string> result_files_of_run(const CaseParameters& cp);

// Stops the run (RunStop, input error) when the input file or an existing
// plot template is, by name or as the same file under another name (a
// link), one of result_files_of_run(cp); the message names both.
void refuse_input_that_is_a_result(const CaseParameters& cp);

// Stops the run (RunStop, input error) when the listing file of a listing
// channel other than the console is, by name or as the same file under
// another name, a file the run reads (the input file, a template) or
// another file it writes (result_files_of_run(cp)); the message names both
// and the channel's environment variable.
void refuse_listing_that_is_another_file(const CaseParameters& cp);

}  // namespace zelvan::driver
