// The one way a run of the program ends early, under the names the
// program's modules use.  The type itself lives in the core library (see
// core/stop.hpp), which the numerical library shares without the record
// layouts; main catches this one type.
#pragma once

#include "core/stop.hpp"

namespace zelvan::textio {

using core::RunStop;
using core::StopReason;

}  // namespace zelvan::textio
