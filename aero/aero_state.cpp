#include "aero/aero_state.hpp"

namespace zelvan::aero {
namespace {

AeroState& default_state() {
  static AeroState state;
  return state;
}

// The one binding of the module's state.
AeroState* g_bound = nullptr;

}  // namespace

AeroState& aero_state() { return g_bound != nullptr ? *g_bound : default_state(); }

void bind_aero_state(AeroState* state) { g_bound = state; }

}  // namespace zelvan::aero
