#include "aero/possio_block.hpp"

#include "aero/aero_state.hpp"

namespace zelvan::aero {

PossioBlock& possio_block() { return aero_state().possio_block; }

}  // namespace zelvan::aero
