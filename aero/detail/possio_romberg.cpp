#include "aero/detail/possio_romberg.hpp"

#include "aero/detail/messages.hpp"
#include "aero/detail/possio_stop.hpp"

namespace zelvan::aero {

void romberg_no_convergence(double a, double b, int levels, long evaluations) {
  static const textio::Layout kMessage(msg::kRombergNoConvergence);
  const textio::Value values[] = {a, b, levels, static_cast<int>(evaluations)};
  stop_possio(kMessage, values);
}

}  // namespace zelvan::aero
