// Planning a study (one folder per case with its input file) and reading a
// planned study back.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "study/field_table.hpp"
#include "study/study_file.hpp"

namespace zelvan::study {

// Plans the study of `study_file` into `dir` (by default the study file's
// name without ".toml", beside it): DIR/plan.json, DIR/cases.tsv and one
// folder per case with its zelvan.inp and the plot templates found beside
// the base file.  The folder is built under a temporary name and renamed
// when complete, so any error (StudyError) creates nothing; DIR must not
// exist.  Returns the folder.
std::filesystem::path plan_study(const std::filesystem::path& study_file,
                                 const std::optional<std::filesystem::path>& dir = std::nullopt);

struct PlannedCase {
  int id = 0;                      // 1, 2, ...
  std::string folder;              // e.g. case_0001, inside the study folder
  std::vector<FieldValue> values;  // one per parameter, as the program reads it
};

struct PlannedStudy {
  std::filesystem::path dir;  // absolute
  std::string option;         // WIN, SGI or LNX
  std::string mode;           // grid or zip
  std::vector<std::string> fields;
  std::vector<PlannedCase> cases;
  std::optional<Envelope> envelope;  // of the study file, when it has one
};

// Reads DIR/plan.json and DIR/cases.tsv; StudyError when DIR is not a
// planned study or its files are damaged.
PlannedStudy load_plan(const std::filesystem::path& dir);

}  // namespace zelvan::study
