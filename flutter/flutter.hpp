// The flutter solution as values in, results out: the eigenproblem of one
// dynamic pressure and the tracking of its modes through a sweep, the
// crossings of d = 0 with the critical one and the static divergence, the
// p-k analysis, the matched flutter point, the whole solution of a
// sweep, and the limit cycles of nonlinear springs; with the polar-form conversion of the eigenvector ratios.
//
// Reads no run records and writes no files or console lines; a library
// error ends the run after a note from the module's message table
// (flutter/detail/messages.hpp).
#pragma once

#include "flutter/flutter_crossings.hpp"
#include "flutter/flutter_modes.hpp"
#include "flutter/flutter_solution.hpp"
#include "flutter/harmonic_balance.hpp"
#include "flutter/limit_cycle.hpp"
#include "flutter/matched_point.hpp"
#include "flutter/p_method.hpp"
#include "flutter/pk_analysis.hpp"
#include "flutter/state_space.hpp"
#include "flutter/vdmplr.hpp"
