// The numerical library's state that lives for a run: the error handler's
// stack and settings, the option values of IUMAG, the unit numbers of
// UMACH and the integrator's workspace.
//
// The library reaches this state through one binding.  A program that owns
// its run records binds a LibraryState of its own (bind_library_state);
// without a binding the library uses a default instance, so the library's
// own tests and standalone users need no set-up.  Each part is defined and
// created by the routine family it belongs to, on first use: a part that
// is absent is in its initial state, so LibraryState{} is the initial
// state of the whole library.
#pragma once

#include <memory>

namespace zelvan::numlib {

// The parts, each defined by its routine family.
struct HandlerState;  // error_handler.cpp
struct OptionValues;  // option_store.cpp
struct UnitTable;     // machine.cpp
struct DivpagState;   // divpag.cpp

// Releases a part; each overload is defined beside the part it releases.
struct LibraryPartDeleter {
  void operator()(HandlerState* part) const noexcept;
  void operator()(OptionValues* part) const noexcept;
  void operator()(UnitTable* part) const noexcept;
  void operator()(DivpagState* part) const noexcept;
};

template <class Part>
using LibraryPart = std::unique_ptr<Part, LibraryPartDeleter>;

struct LibraryState {
  LibraryPart<HandlerState> error_handler;
  LibraryPart<OptionValues> options;
  LibraryPart<UnitTable> units;
  LibraryPart<DivpagState> divpag;
};

// The bound state, or the library's default instance when none is bound.
LibraryState& library_state();

// Makes the library use `state` (kept by the caller, which must outlive
// the binding); nullptr returns to the default instance.
void bind_library_state(LibraryState* state);

}  // namespace zelvan::numlib
