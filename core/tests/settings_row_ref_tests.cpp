#include <gtest/gtest.h>

#include "quillo/core/system/settings_reader.h"
#include "quillo/core/system/settings_row_ref.h"
#include "quillo/testing/fake_accessibility.h"
#include "settings_tree.h"

namespace quillo::core {
namespace {

using namespace settings_tree;
using platform::AttributeValue;
using platform::Point;
using platform::Rect;
using platform::Size;
using testing::FakeAccessibility;

json at(double x, double y, double width, double height) {
  return {{"AXPosition", {{"point", {x, y}}}}, {"AXSize", {{"size", {width, height}}}}};
}

json bar(const std::string& orientation, double value) {
  return element("AXScrollBar", {}, {{"AXOrientation", orientation}, {"AXValue", value}});
}

// A scroll area showing 200 × 300 points at (100, 100) of content 1000 × 2000 points, with one
// labelled row at `content` (in content coordinates) and scroll bars at `vertical` and
// `horizontal`. Moving a bar moves the row as a real scroll view would.
class ScrollingWindow {
 public:
  static constexpr Rect kArea{{100, 100}, {200, 300}};
  static constexpr Size kContent{1000, 2000};

  ScrollingWindow(Point content, double vertical, double horizontal, bool withVerticalBar = true,
                  Size item = {80, 20})
      : content_(content), ax_(tree(vertical, horizontal, withVerticalBar, item)) {
    ax_.onSet([this](FakeAccessibility& ax, const platform::AXElement& element, std::string_view name,
                     const AttributeValue&) {
      if (name == "AXValue" && ax.peek(element, "AXRole") == AttributeValue(std::string("AXScrollBar")))
        place(ax);
    });
    place(ax_);
  }

  FakeAccessibility& ax() { return ax_; }
  SettingsRowRef target() {
    const auto rows = SettingsReader(ax_).openPane(FakeAccessibility::kPid)->rows;
    return std::get<target::SettingsRow>(rows.at(0).target).row;
  }
  double barValue(const std::string& orientation) {
    return std::get<double>(*ax_.peek(ax_.find("AXOrientation", orientation), "AXValue"));
  }

 private:
  static std::string tree(double vertical, double horizontal, bool withVerticalBar, Size item) {
    std::vector<json> children{
        row({element("AXStaticText", {},
                     {{"AXValue", "Target"}, {"AXSize", {{"size", {item.width, item.height}}}}})}),
        bar("AXHorizontalOrientation", horizontal)};
    if (withVerticalBar) children.push_back(bar("AXVerticalOrientation", vertical));
    json area = element("AXScrollArea", children);
    area.update(at(kArea.origin.x, kArea.origin.y, kArea.size.width, kArea.size.height));
    return focused(plainWindow("Scrolling", {area}));
  }

  void place(FakeAccessibility& ax) {
    const auto value = [&](const char* orientation) {
      try {
        return std::get<double>(*ax.peek(ax.find("AXOrientation", orientation), "AXValue"));
      } catch (const std::out_of_range&) {
        return 0.0;
      }
    };
    const double x =
        kArea.origin.x + content_.x - value("AXHorizontalOrientation") * (kContent.width - kArea.size.width);
    const double y =
        kArea.origin.y + content_.y - value("AXVerticalOrientation") * (kContent.height - kArea.size.height);
    ax.change(ax.find("AXValue", "Target"), "AXPosition", Point{x, y});
  }

  Point content_;
  FakeAccessibility ax_;
};

bool inside(const Rect& item, const Rect& area) {
  return item.minX() >= area.minX() && item.maxX() <= area.maxX() && item.minY() >= area.minY() &&
         item.maxY() <= area.maxY();
}

TEST(SettingsRowRef, ScrollsTheItemIntoViewInEitherDirection) {
  struct Case {
    std::string name;
    Point content;
    double vertical;
    double horizontal;
    std::optional<double> verticalAfter;
    double tolerance;  // for verticalAfter
    std::size_t maxWrites;
  };
  // Scrolling takes one probing move, then one straight to the item; a visible item is not moved.
  const std::vector<Case> cases = {
      {"below", {10, 1500}, 0, 0, std::nullopt, 0, 3},
      {"above", {10, 40}, 1.0, 0, 0, 0.05, 3},
      // Scrolling sideways leaves the vertical bar exactly where it was.
      {"to the right", {900, 20}, 0, 0, 0, 0, 3},
      {"visible", {10, 100}, 0, 0, 0, 0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ScrollingWindow window(test.content, test.vertical, test.horizontal);
    const SettingsRowRef row = window.target();
    EXPECT_EQ(inside(*row.visibleFrame(window.ax()), ScrollingWindow::kArea), test.maxWrites == 0);
    EXPECT_TRUE(row.scrollToVisible(window.ax()));
    EXPECT_TRUE(inside(*row.visibleFrame(window.ax()), ScrollingWindow::kArea));
    if (test.verticalAfter) {
      EXPECT_NEAR(window.barValue("AXVerticalOrientation"), *test.verticalAfter, test.tolerance);
    }
    EXPECT_LE(window.ax().writes().size(), test.maxWrites);
  }
}

TEST(SettingsRowRef, AnItemTallerThanTheAreaIsAlignedButReportsFailure) {
  ScrollingWindow window({10, 1200}, 0, 0, true, {80, 400});
  const SettingsRowRef row = window.target();
  EXPECT_FALSE(row.scrollToVisible(window.ax()));
  EXPECT_NEAR(row.visibleFrame(window.ax())->minY(), ScrollingWindow::kArea.minY(), 0.5);
}

TEST(SettingsRowRef, AnItemBeyondTheEndOfTheContentReportsFailure) {
  // The content is 2000 points tall; at the bar's end the row is still below the area.
  ScrollingWindow window({10, 2500}, 0, 0);
  EXPECT_FALSE(window.target().scrollToVisible(window.ax()));
  EXPECT_EQ(window.barValue("AXVerticalOrientation"), 1.0);
}

TEST(SettingsRowRef, ScrollingThatDoesNotMoveTheItemReportsFailure) {
  ScrollingWindow window({10, 1500}, 0, 0);
  window.ax().onSet(nullptr);
  EXPECT_FALSE(window.target().scrollToVisible(window.ax()));
  EXPECT_EQ(window.ax().writes().size(), 1u);
}

TEST(SettingsRowRef, ARefusedScrollOrAMissingBarReportsFailure) {
  ScrollingWindow refused({10, 1500}, 0, 0);
  refused.ax().setWritesSucceed(false);
  EXPECT_FALSE(refused.target().scrollToVisible(refused.ax()));
  ScrollingWindow noBar({10, 1500}, 0, 0, false);
  EXPECT_FALSE(noBar.target().scrollToVisible(noBar.ax()));
}

TEST(SettingsRowRef, AnItemOutsideAnyScrollAreaNeedsNoScrolling) {
  FakeAccessibility ax(focused(plainWindow("Plain", {element("AXStaticText", {}, {{"AXValue", "Name"}})})));
  const auto rows = SettingsReader(ax).openPane(FakeAccessibility::kPid)->rows;
  const SettingsRowRef& row = std::get<target::SettingsRow>(rows.at(0).target).row;
  EXPECT_FALSE(row.scrollArea);
  // Without a frame there is nothing to show.
  EXPECT_FALSE(row.scrollToVisible(ax));
  ax.change(row.element, "AXPosition", Point{1, 2});
  ax.change(row.element, "AXSize", Size{3, 4});
  EXPECT_TRUE(row.scrollToVisible(ax));
  EXPECT_EQ(row.visibleFrame(ax), (Rect{{1, 2}, {3, 4}}));
}

TEST(SettingsRowRef, SelectingSelectsTheRowThatHoldsTheItem) {
  FakeAccessibility ax(focused(plainWindow("Rows", {element("AXOutline", {row({text("Sound")})})})));
  const auto sections = SettingsReader(ax).openPane(FakeAccessibility::kPid)->rows;
  const SettingsRowRef& sound = std::get<target::SettingsRow>(sections.at(0).target).row;
  EXPECT_FALSE(sound.isSelected(ax));
  EXPECT_TRUE(sound.select(ax));
  ASSERT_EQ(ax.writes().size(), 1u);
  EXPECT_EQ(ax.writes()[0].element, sound.container);
  EXPECT_EQ(ax.writes()[0].name, "AXSelected");
  EXPECT_EQ(ax.writes()[0].value, AttributeValue(true));
  EXPECT_TRUE(sound.isSelected(ax));
  ax.setWritesSucceed(false);
  EXPECT_FALSE(sound.select(ax));
}

}  // namespace
}  // namespace quillo::core
