#include <gtest/gtest.h>

#include "quillo/app/shell/launcher_position.h"
#include "quillo/core/preferences/memory_defaults_store.h"

namespace quillo::app {
namespace {

using core::DefaultsValue;
using platform::Display;
using platform::Rect;

const Display kLeft{"DP-1:A1", {{0, 0}, {1000, 1000}}, {{0, 30}, {1000, 970}}};
const Display kRight{"HDMI-1:B2", {{1000, 0}, {2000, 1200}}, {{1000, 0}, {2000, 1200}}};
constexpr Size kPanel{600, 300};

struct LauncherPositionTest : ::testing::Test {
  core::MemoryDefaultsStore defaults;
  LauncherPosition position{defaults};

  void remember(const Display& display, DefaultsValue x, DefaultsValue top) {
    defaults.set(LauncherPosition::preferenceKey,
                 DefaultsValue::Dictionary{{display.id, DefaultsValue::Dictionary{{"x", x}, {"top", top}}}});
  }
};

TEST_F(LauncherPositionTest, OpensCentredWithItsAnchorAt78PercentOfTheHeight) {
  // Anchor 0.78 × 1200 = 936 above the bottom edge at 1200, so 264 from the top; the frame 60 above.
  EXPECT_EQ(position.frame(kPanel, kRight), (Rect{{1700, 204}, {600, 300}}));
}

TEST_F(LauncherPositionTest, OnAShortDisplayTheDefaultAnchorStays454AboveTheBottom) {
  // 0.78 × 560 is less than 454: the anchor is 560 − 454 = 106 from the top, the frame 60 above it.
  const Display small{"eDP-1", {{0, 0}, {800, 560}}, {{0, 0}, {800, 560}}};
  EXPECT_EQ(position.frame({400, 200}, small), (Rect{{200, 46}, {400, 200}}));
}

TEST_F(LauncherPositionTest, AMovedPanelOpensWhereItWasLeft) {
  const Rect moved{{1100, 500}, {600, 300}};
  position.save(moved, kRight);
  EXPECT_EQ(position.frame(kPanel, kRight), moved);
}

TEST_F(LauncherPositionTest, APositionRememberedOnOneDisplayIsNotUsedOnAnother) {
  position.save({{1100, 500}, {600, 300}}, kRight);
  core::MemoryDefaultsStore empty;
  EXPECT_EQ(position.frame(kPanel, kLeft), LauncherPosition(empty).frame(kPanel, kLeft));
}

TEST_F(LauncherPositionTest, AFractionOutsideZeroToOneIsIgnored) {
  remember(kRight, 0.2, 1.5);
  core::MemoryDefaultsStore empty;
  EXPECT_EQ(position.frame(kPanel, kRight), LauncherPosition(empty).frame(kPanel, kRight));
}

TEST_F(LauncherPositionTest, APanelDraggedHalfOffTheScreenIsMovedBackInside) {
  position.save({{-300, 900}, {600, 300}}, kLeft);
  // Pushed right to the left edge and up so that its bottom meets the visible frame's at 1000.
  EXPECT_EQ(position.frame(kPanel, kLeft), (Rect{{0, 700}, {600, 300}}));
}

TEST_F(LauncherPositionTest, SavingOnOneDisplayKeepsTheOthers) {
  position.save({{1100, 500}, {600, 300}}, kRight);
  position.save({{100, 100}, {600, 300}}, kLeft);
  EXPECT_EQ(position.frame(kPanel, kRight), (Rect{{1100, 500}, {600, 300}}));
  EXPECT_EQ(position.frame(kPanel, kLeft), (Rect{{100, 100}, {600, 300}}));
}

TEST_F(LauncherPositionTest, ADisplayWithoutVisibleAreaRemembersNothing) {
  position.save({{0, 0}, {600, 300}}, Display{"X", {}, {{0, 0}, {0, 0}}});
  EXPECT_FALSE(defaults.value(LauncherPosition::preferenceKey).has_value());
}

TEST(PanelTransition, ReduceMotionKeepsOnlyTheFade) {
  EXPECT_GT(panelTransition(false).slide, 0);
  EXPECT_EQ(panelTransition(true).slide, 0);
  EXPECT_EQ(panelTransition(true).duration, panelTransition(false).duration);
}

}  // namespace
}  // namespace quillo::app
