#pragma once

#include <vector>

#include "quillo/platform/key_events.h"

namespace quillo::testing {

// Key events that are recorded instead of posted; trust and failure are fields.
class FakeKeyEvents final : public platform::KeyEvents {
 public:
  bool trusted = true;
  bool failsToPost = false;
  std::vector<platform::KeyStroke> posted;

  bool isTrusted() override { return trusted; }
  bool post(const platform::KeyStroke& stroke) override {
    if (failsToPost) return false;
    posted.push_back(stroke);
    return true;
  }
};

}  // namespace quillo::testing
