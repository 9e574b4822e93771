#include "driver/case_parameters.hpp"

namespace zelvan::driver {
namespace {
CaseParameters g_case;
}

std::string CaseParameters::input_file_name() const { return input_file; }

CaseParameters& case_parameters() { return g_case; }

void reset_case_parameters() { g_case = CaseParameters{}; }

}  // namespace zelvan::driver
