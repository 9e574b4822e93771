#include "numlib/library_state.hpp"

#include "core/state_binding.hpp"

namespace zelvan::numlib {
namespace {

// The one binding of the library's state.
constinit core::StateBinding<LibraryState> g_binding;

}  // namespace

LibraryState& library_state() { return g_binding.get(); }

void bind_library_state(LibraryState* state) { g_binding.bind(state); }

}  // namespace zelvan::numlib
