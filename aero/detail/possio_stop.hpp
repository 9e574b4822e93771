// How the Possio solver and its kernel end the run.
#pragma once

#include <span>

#include "textio/layout.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::aero {

// Ends the run: throws textio::RunStop(limit_violation) whose console text
// is the record set of `message` with `values`, followed by the stop line
// of the Possio solver.  Never returns.
[[noreturn]] void stop_possio(const textio::Layout& message, std::span<const textio::Value> values);

}  // namespace zelvan::aero
