// The aerodynamics' state that lives for a run: the Possio block and the
// cache of the Theodorsen function.
//
// The module reaches this state through one binding: a program that owns
// its run records binds an AeroState of its own (bind_aero_state); without
// a binding the module uses a default instance, so its own tests and
// standalone users need no set-up.  AeroState{} is the initial state.
#pragma once

#include "aero/cnm3dk.hpp"
#include "aero/possio_block.hpp"

namespace zelvan::aero {

struct AeroState {
  PossioBlock possio_block;
  TheodorsenCache theodorsen;
};

// The bound state, or the module's default instance when none is bound.
AeroState& aero_state();

// Makes the module use `state` (kept by the caller, which must outlive the
// binding); nullptr returns to the default instance.
void bind_aero_state(AeroState* state);

}  // namespace zelvan::aero
