// The numerical library: general routines with a common error-reporting
// convention.  Matrices are stored by columns with an explicit leading
// dimension; complex values are std::complex<double>.
//
// This header lists the library's public routines; what they share
// internally (the BLAS kernels, the integrator's coefficients and norm, the
// series helpers, the message table) is under numlib/detail/.
#pragma once

#include "numlib/bessel.hpp"
#include "numlib/devccg.hpp"
#include "numlib/dfftrf.hpp"
#include "numlib/divpag.hpp"
#include "numlib/divpag_events.hpp"
#include "numlib/dlftds.hpp"
#include "numlib/dlinrg.hpp"
#include "numlib/dset.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/illinois.hpp"
#include "numlib/least_squares.hpp"
#include "numlib/library_state.hpp"
#include "numlib/machine.hpp"
#include "numlib/option_store.hpp"
#include "numlib/zgemm.hpp"
