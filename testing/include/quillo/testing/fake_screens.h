#pragma once

#include <vector>

#include "quillo/platform/screens.h"

namespace quillo::testing {

// Displays, pointer and motion setting as fields the test sets.
class FakeScreens final : public platform::Screens {
 public:
  std::vector<platform::Display> all;
  platform::Point mouse;
  bool lessMotion = false;

  std::vector<platform::Display> displays() const override { return all; }
  platform::Point pointer() const override { return mouse; }
  bool reduceMotion() const override { return lessMotion; }
};

}  // namespace quillo::testing
