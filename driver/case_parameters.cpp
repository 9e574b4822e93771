#include "driver/case_parameters.hpp"

#include "driver/run_context.hpp"

namespace zelvan::driver {

std::string CaseParameters::input_file_name() const { return input_file; }

CaseParameters& case_parameters() { return run_context().case_parameters; }

}  // namespace zelvan::driver
