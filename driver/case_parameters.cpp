#include "driver/case_parameters.hpp"

namespace zelvan::driver {
namespace {
CaseParameters g_case;
}

std::string CaseParameters::input_file_name() const {
  const std::size_t end = input_file.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : input_file.substr(0, end + 1);
}

CaseParameters& case_parameters() { return g_case; }

void reset_case_parameters() { g_case = CaseParameters{}; }

}  // namespace zelvan::driver
