#pragma once

#include <vector>

#include "quillo/platform/highlighter.h"
#include "quillo/platform/main_queue.h"

namespace quillo::testing {

// A ring that records where it was shown instead of drawing, and counts calls made off the
// main thread (the window system allows none).
class FakeHighlighter final : public platform::Highlighter {
 public:
  explicit FakeHighlighter(const platform::MainQueue& main) : main_(main) {}

  void show(const platform::Rect& frame) override {
    if (!main_.isMainThread()) ++offMainCalls;
    frames.push_back(frame);
    visible = true;
  }
  void hide() override {
    if (!main_.isMainThread()) ++offMainCalls;
    visible = false;
  }

  std::vector<platform::Rect> frames;
  bool visible = false;
  int offMainCalls = 0;

 private:
  const platform::MainQueue& main_;
};

}  // namespace quillo::testing
