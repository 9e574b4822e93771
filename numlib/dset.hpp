// Fill a vector.
#pragma once

namespace zelvan::numlib {

// Sets n elements of dx, with stride incx, to da: elements 1, 1 + |incx|,
// ... (1-based).  n <= 0 does nothing.  incx = 0 is a terminal error under
// the name DSET; a negative stride fills the same elements as its
// magnitude.
void DSET(int n, double da, double* dx, int incx);

}  // namespace zelvan::numlib
