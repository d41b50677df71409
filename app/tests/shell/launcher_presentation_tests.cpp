#include <gtest/gtest.h>

#include <vector>

#include "quillo/app/shell/launcher_presentation.h"

namespace quillo::app {
namespace {

TEST(LauncherPresentation, OpeningTheClipboardSwitchesTheContentInPlace) {
  LauncherPresentation presentation;
  std::vector<LauncherPresentation::Content> switches;
  presentation.setObserver([&](auto content) { switches.push_back(content); });
  presentation.open(LauncherPresentation::Content::launcher);
  presentation.open(LauncherPresentation::Content::clipboard);
  EXPECT_EQ(presentation.content(), LauncherPresentation::Content::clipboard);
  EXPECT_EQ(switches, std::vector{LauncherPresentation::Content::clipboard});
}

}  // namespace
}  // namespace quillo::app
