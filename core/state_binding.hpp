// The binding of a module's process-wide state: a module that keeps its
// state in one object (the numerical library, the aerodynamics, the output
// files) reaches it through a StateBinding, which gives the object bound by
// the current run, or a default instance of the module while none is bound.
#pragma once

namespace zelvan::core {

// `State` must be default constructible.  Declare the binding `constinit`
// at namespace scope: it then holds no object until first used, so it may
// be reached from any static initialiser.  Not synchronised: binding and
// reaching the state belong to one thread at a time.
template <class State>
class StateBinding {
 public:
  constexpr StateBinding() = default;
  StateBinding(const StateBinding&) = delete;
  StateBinding& operator=(const StateBinding&) = delete;

  // The bound object, or the default instance (created on first use and
  // kept, with its contents, for the rest of the process) while none is.
  State& get() { return bound_ != nullptr ? *bound_ : fallback(); }

  // Binds `state`, which must outlive its binding; nullptr returns to the
  // default instance.
  void bind(State* state) { bound_ = state; }

 private:
  static State& fallback() {
    static State state;
    return state;
  }

  State* bound_ = nullptr;
};

}  // namespace zelvan::core
