#include "numlib/dset.hpp"

#include <cstdlib>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::numlib {

void DSET(int n, double da, double* dx, int incx) {
  if (n <= 0) return;
  if (incx == 0) {
    E1PSH("DSET");
    E1STI(1, incx);
    E1MES(ErrorType::terminal, 1, msg::kIncxKernel);
    E1POP("DSET");
    return;
  }
  const auto step = static_cast<std::size_t>(std::abs(incx));
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) dx[i * step] = da;
}

}  // namespace zelvan::numlib
