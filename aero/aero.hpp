// Unsteady aerodynamics of the oscillating profile: thin-plate
// coefficients and the Possio integral-equation solver with its shared
// record.
#pragma once

#include "aero/possio_block.hpp"
