// Names the instances of a parameterised test by their `label` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zelvan::test_support {

struct ByLabel {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param_info) const {
    return param_info.param.label;
  }
};

}  // namespace zelvan::test_support
