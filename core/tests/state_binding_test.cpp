// The binding of a module's state: which object it reaches while bound and
// while not, and that the default instance keeps its contents across
// bindings.
#include <gtest/gtest.h>

#include "core/state_binding.hpp"

namespace zelvan::core {
namespace {

struct Counter {
  int value = 0;
};

TEST(StateBinding, ReachesTheBoundObjectAndOtherwiseOneDefaultThatKeepsItsContents) {
  constinit static StateBinding<Counter> binding;
  Counter& fallback = binding.get();
  EXPECT_EQ(&binding.get(), &fallback) << "the default instance is created once";
  fallback.value = 7;

  Counter run;
  binding.bind(&run);
  EXPECT_EQ(&binding.get(), &run);
  binding.get().value = 3;

  Counter next_run;
  binding.bind(&next_run);
  EXPECT_EQ(&binding.get(), &next_run) << "rebinding replaces the bound object";

  binding.bind(nullptr);
  EXPECT_EQ(&binding.get(), &fallback);
  EXPECT_EQ(binding.get().value, 7) << "the run's writes went to its own object";
  EXPECT_EQ(run.value, 3);
  EXPECT_EQ(next_run.value, 0);
}

}  // namespace
}  // namespace zelvan::core
