#include "numlib/option_store.hpp"

#include <array>
#include <string>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"

namespace zelvan::numlib {
namespace {

struct ChapterOptions {
  int chapter;
  std::array<int, 4> defaults;
  int count;
};

// The chapters of MATH that hold options; STAT holds none.
constexpr std::array<ChapterOptions, 2> kMathOptions = {{
    {1, {1, 0, 0, 0}, 1},  // LU factorisation: condition-number switch
    {2, {0, 0, 0, 0}, 4},  // eigen-solver: reserved, reserved, LD increment, LD multiple
}};

}  // namespace

// The option values' part of the library state, per chapter of kMathOptions.
struct OptionValues {
  std::array<std::array<int, 4>, 2> values = {kMathOptions[0].defaults, kMathOptions[1].defaults};
};

void LibraryPartDeleter::operator()(OptionValues* part) const noexcept { delete part; }

namespace {

std::array<std::array<int, 4>, 2>& option_values() {
  LibraryPart<OptionValues>& part = library_state().options;
  if (!part) part.reset(new OptionValues);
  return part->values;
}

void terminal(int code, std::string_view message) {
  E1MES(ErrorType::terminal, code, message);
  E1POP("IUMAG");
}

}  // namespace

void IUMAG(std::string_view prodnm, int ichp, int iact, int numopt, const int* iopts, int* ivals) {
  E1PSH("IUMAG");
  if (iact != 1 && iact != 2) {
    E1STI(1, iact);
    return terminal(1, msg::kIumagAction);
  }
  const bool math = prodnm == "MATH";
  if (!math && prodnm != "STAT") {
    E1STL(1, prodnm);
    return terminal(2, msg::kIumagProduct);
  }
  const int chapters = math ? kMathChapters : kStatChapters;
  if (ichp < 1 || ichp > chapters) {
    E1STI(1, ichp);
    E1STI(2, chapters);
    return terminal(math ? 3 : 4, math ? msg::kIumagMathChapter : msg::kIumagStatChapter);
  }
  std::size_t index = kMathOptions.size();
  for (std::size_t i = 0; math && i < kMathOptions.size(); ++i) {
    if (kMathOptions[i].chapter == ichp) index = i;
  }
  if (index == kMathOptions.size()) {
    E1STI(1, ichp);
    return terminal(math ? 5 : 6, math ? msg::kIumagNoMathOptions : msg::kIumagNoStatOptions);
  }
  if (numopt <= 0) {
    E1STI(1, numopt);
    return terminal(7, msg::kIumagNumopt);
  }
  for (int i = 0; i < numopt; ++i) {
    const int option = iopts[i];
    if (option < 1 || option > kMathOptions[index].count) {
      E1STI(1, i + 1);
      E1STI(2, option);
      E1STL(1, prodnm);
      E1STI(3, ichp);
      return terminal(8, msg::kIumagOption);
    }
    int& value = option_values()[index][static_cast<std::size_t>(option - 1)];
    if (iact == 1)
      ivals[i] = value;
    else
      value = ivals[i];
  }
  E1POP("IUMAG");
}

void reset_option_store() { library_state().options.reset(); }

}  // namespace zelvan::numlib
