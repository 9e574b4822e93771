#include "aero/aero_state.hpp"

#include "core/state_binding.hpp"

namespace zelvan::aero {
namespace {

// The one binding of the module's state.
constinit core::StateBinding<AeroState> g_binding;

}  // namespace

AeroState& aero_state() { return g_binding.get(); }

void bind_aero_state(AeroState* state) { g_binding.bind(state); }

}  // namespace zelvan::aero
