// The numerical library: general routines with a common error-reporting
// convention.  Matrices are stored by columns with an explicit leading
// dimension; complex values are std::complex<double>.
#pragma once

#include "numlib/bessel.hpp"
#include "numlib/dfftrf.hpp"
#include "numlib/divpag.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"
#include "numlib/machine.hpp"
#include "numlib/option_store.hpp"
