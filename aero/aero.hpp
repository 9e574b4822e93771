// Unsteady aerodynamics of the oscillating profile: thin-plate
// coefficients and the Possio integral-equation solver with its shared
// record.
#pragma once

#include "aero/aero_state.hpp"
#include "aero/cnm3dk.hpp"
#include "aero/hankel.hpp"
#include "aero/possio_block.hpp"
#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"
