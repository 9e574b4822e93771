#include "numlib/machine.hpp"

#include <array>
#include <cstdlib>
#include <string>

#include "core/core.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"

namespace zelvan::numlib {
namespace {

constexpr std::array<int, 3> kDefaultUnits = {5, 6, 6};

}  // namespace

// The unit numbers' part of the library state.
struct UnitTable {
  std::array<int, 3> units = kDefaultUnits;
};

void LibraryPartDeleter::operator()(UnitTable* part) const noexcept { delete part; }

namespace {

std::array<int, 3>& unit_numbers() {
  LibraryPart<UnitTable>& part = library_state().units;
  if (!part) part.reset(new UnitTable);
  return part->units;
}

constexpr std::array<int, 12> kIntegerConstants = {32, 4, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};

// Six significant digits for entries 1-4, 7 and 8: these are not the exact
// limits of the double format, and thresholds elsewhere compare against
// exactly these values.
constexpr std::array<double, 8> kDoubleConstants = {2.22559e-308, 1.79728e+308,       1.11048e-16,
                                                    2.22096e-16,  0.3010299956639812, 3.402198970993592e+38,
                                                    1.79728e+308, -1.79728e+308};

[[noreturn]] void fixed_form_stop(const msg::FixedFormStop& text, int value) {
  constexpr int kIndexWidth = 6;
  write_error_notes();
  core::MessageSink& sink = core::message_sink();
  sink.write("");
  sink.write(text.first);
  sink.write(text.second);
  sink.write(std::string(text.third) + core::format_integer(value, kIndexWidth, 1) + ".");
  sink.write("");
  stop_library_run();
}

}  // namespace

void UMACH(int n, int& nunit) {
  if (n >= 1 && n <= 3) {
    nunit = unit_numbers()[static_cast<std::size_t>(n - 1)];
  } else if (n >= -3 && n <= -1) {
    unit_numbers()[static_cast<std::size_t>(-n - 1)] = nunit;
  } else {
    fixed_form_stop(msg::kUmachStop, std::abs(n));
  }
}

int IMACH(int n) {
  if (n < 1 || n > 12) fixed_form_stop(msg::kImachStop, n);
  return kIntegerConstants[static_cast<std::size_t>(n - 1)];
}

double DMACH(int n) {
  if (n < 1 || n > 8) {
    E1PSH("DMACH");
    E1STI(1, n);
    E1MES(ErrorType::terminal, 5, msg::kDmachArgument);
    E1POP("DMACH");
    return kDoubleConstants[5];
  }
  return kDoubleConstants[static_cast<std::size_t>(n - 1)];
}

void reset_units() { library_state().units.reset(); }

}  // namespace zelvan::numlib
