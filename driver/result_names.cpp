#include "driver/result_names.hpp"

#include <filesystem>
#include <system_error>

#include "driver/messages.hpp"
#include "driver/result_files.hpp"
#include "plot/gnuplot_script.hpp"
#include "textio/messages.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

// Whether `a` and `b` name the same file: the same path (made absolute,
// with the links of its existing parts resolved), or the same existing
// file under two names (a hard link).
bool same_file(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  if (a == b || textio::full_path(a) == textio::full_path(b)) return true;
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

[[noreturn]] void input_error(const std::string& message) {
  throw textio::RunStop(textio::StopReason::input_error, textio::input_error_text(message));
}

struct Input {
  std::string_view kind;
  std::string name;
};

// The files the run reads.
std::vector<Input> inputs_of_run(const CaseParameters& cp) {
  return {{msg::kKindInputFile, cp.input_file_name()},
          {msg::kKindTemplate, std::string(kLayoutTemplateFile)},
          {msg::kKindTemplate, std::string(kStyleTemplateFile)}};
}

// The result files of fixed names that the run of `cp` may write.
std::vector<std::string> fixed_result_files(const CaseParameters& cp) {
  std::vector<std::string> names;
  for (const ResultFileName& file : kResultFileNames) {
    const bool written = file.when == WrittenWhen::always ||
                         (file.when == WrittenWhen::sweep_to_file && cp.nstep > 0) ||
                         (file.when == WrittenWhen::win_option && cp.is_win);
    if (written) names.emplace_back(file.name);
  }
  for (const std::string_view figure : plot::kFigureFiles) names.emplace_back(figure);
  return names;
}

}  // namespace

std::vector<std::string> result_files_of_run(const CaseParameters& cp) {
  std::vector<std::string> names = fixed_result_files(cp);
  if (cp.listing_unit > 0 && cp.listing_unit != 6) names.push_back(listing_file_name(cp.listing_unit));
  return names;
}

void refuse_input_that_is_a_result(const CaseParameters& cp) {
  const std::vector<std::string> results = result_files_of_run(cp);
  for (const Input& input : inputs_of_run(cp)) {
    std::error_code error;
    if (!std::filesystem::exists(input.name, error)) continue;  // a missing template is replaced by its default
    for (const std::string& result : results) {
      if (same_file(input.name, result))
        input_error(textio::msg::compose(msg::kInputIsAResult, {input.kind, input.name, result}));
    }
  }
}

void refuse_listing_that_is_another_file(const CaseParameters& cp) {
  if (cp.listing_unit <= 0 || cp.listing_unit == 6) return;
  const std::string listing = listing_file_name(cp.listing_unit);
  std::vector<std::string> others;
  for (const Input& input : inputs_of_run(cp)) others.push_back(input.name);
  for (const std::string& result : fixed_result_files(cp)) others.push_back(result);
  const std::string channel = std::to_string(cp.listing_unit);
  for (const std::string& other : others) {
    if (same_file(listing, other))
      input_error(textio::msg::compose(msg::kListingIsAnotherFile, {channel, listing, other}));
  }
}

}  // namespace zelvan::driver
