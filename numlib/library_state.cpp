#include "numlib/library_state.hpp"

namespace zelvan::numlib {
namespace {

LibraryState& default_state() {
  static LibraryState state;
  return state;
}

// The one binding of the library's state.
LibraryState* g_bound = nullptr;

}  // namespace

LibraryState& library_state() { return g_bound != nullptr ? *g_bound : default_state(); }

void bind_library_state(LibraryState* state) { g_bound = state; }

}  // namespace zelvan::numlib
