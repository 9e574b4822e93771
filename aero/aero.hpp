// Unsteady aerodynamics of the oscillating profile: thin-plate
// coefficients and their matrix, the Possio integral-equation solver with
// its shared record, the route of a run as a function of (k, Ma) with an
// interpolating grid of its coefficients, the flow quantities and the
// standard atmosphere.
//
// This header lists what the module offers; the Possio solver's parts (the
// Hankel functions, the quadrature, the exponential integral, the linear
// solver, the stop, the message table) are under aero/detail/.
#pragma once

#include "aero/aero_route.hpp"
#include "aero/aero_state.hpp"
#include "aero/atmosphere.hpp"
#include "aero/cnm3dk.hpp"
#include "aero/coefficient_grid.hpp"
#include "aero/flow.hpp"
#include "aero/possio_block.hpp"
#include "aero/possio_fast_kernel.hpp"
#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"
#include "aero/rational_fit.hpp"
#include "aero/thin_plate_matrix.hpp"
