#include "aero/detail/hankel.hpp"

#include "aero/detail/messages.hpp"
#include "textio/console.hpp"
#include "textio/layout.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::aero {

void hankel_h0(double x, std::complex<double>& h) {
  if (!(x > 0.0)) {
    static const textio::Layout kMessage(msg::kNoH0);
    textio::write(textio::console(), kMessage, {x});
    return;
  }
  h = hankel_detail::h0(x);
}

void hankel_h1(double x, std::complex<double>& h) {
  if (!(x > 0.0)) {
    static const textio::Layout kMessage(msg::kNoH1);
    textio::write(textio::console(), kMessage, {x});
    return;
  }
  h = hankel_detail::h1(x);
}

}  // namespace zelvan::aero
