// The binding of the library's state: a bound state holds everything the
// library keeps between calls, and the default instance is untouched while
// another state is bound.
#include <gtest/gtest.h>

#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"
#include "numlib/machine.hpp"
#include "numlib/option_store.hpp"

namespace zelvan::numlib {
namespace {

// The unit number of entry 2 (the output unit), as UMACH returns it.
int output_unit() {
  int unit = 0;
  UMACH(2, unit);
  return unit;
}

// The first option of chapter 1, as IUMAG returns it.
int first_option() {
  const int option = 1;
  int value = 0;
  IUMAG("MATH", 1, 1, 1, &option, &value);
  return value;
}

TEST(LibraryState, KeepsTheChangesOfABoundStateApartFromTheDefaultInstance) {
  const int default_unit = output_unit();
  const int default_option = first_option();
  {
    LibraryState bound;
    bind_library_state(&bound);
    EXPECT_EQ(&library_state(), &bound);
    // A fresh state starts as the library starts.
    EXPECT_EQ(output_unit(), default_unit);
    EXPECT_EQ(first_option(), default_option);
    EXPECT_EQ(error_level(), 1);
    int unit = default_unit + 3;
    UMACH(-2, unit);
    const int option = 1;
    int value = default_option + 1;
    IUMAG("MATH", 1, 2, 1, &option, &value);
    E1PSH("OUTER");
    EXPECT_EQ(output_unit(), default_unit + 3);
    EXPECT_EQ(first_option(), default_option + 1);
    EXPECT_EQ(error_level(), 2);
    bind_library_state(nullptr);
    // The default instance saw none of it.
    EXPECT_EQ(output_unit(), default_unit);
    EXPECT_EQ(first_option(), default_option);
    EXPECT_EQ(error_level(), 1);
    // Binding again finds the changes where they were left.
    bind_library_state(&bound);
    EXPECT_EQ(output_unit(), default_unit + 3);
    EXPECT_EQ(error_level(), 2);
    E1POP("OUTER");
    // Replacing the parts is the reset of the whole library.
    bound = LibraryState{};
    EXPECT_EQ(output_unit(), default_unit);
    EXPECT_EQ(first_option(), default_option);
    bind_library_state(nullptr);
  }
}

}  // namespace
}  // namespace zelvan::numlib
