#include <gtest/gtest.h>

#include "quillo/core/system/ax.h"
#include "quillo/testing/fake_accessibility.h"

namespace quillo::core {
namespace {

using testing::FakeAccessibility;

constexpr std::string_view kTree = R"({
  "AXTitle": "Notes", "AXEnabled": {"error": "cannot complete"}, "AXValue": 2,
  "AXPosition": {"point": [5, 6]}, "AXSize": {"size": [7, 8]}
})";

TEST(AX, TypedReadsOfAnotherTypeAreAbsent) {
  FakeAccessibility fake(kTree);
  const AX ax(fake);
  const auto app = fake.application();
  EXPECT_EQ(ax.string(app, "AXTitle"), "Notes");
  EXPECT_EQ(ax.number(app, "AXTitle"), std::nullopt);
  EXPECT_EQ(ax.number(app, "AXValue"), 2.0);
  EXPECT_EQ(ax.boolean(app, "AXEnabled"), std::nullopt);
  EXPECT_TRUE(ax.elements(app, "AXChildren").empty());
  EXPECT_EQ(ax.frame(app), (platform::Rect{{5, 6}, {7, 8}}));
}

TEST(AX, ABatchIsAllOrNothing) {
  FakeAccessibility fake(kTree);
  const AX ax(fake);
  const std::array<std::string_view, 3> names{"AXTitle", "AXEnabled", "AXHelp"};
  const AX::Values values = ax.attributes(fake.application(), names);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(AX::as<std::string>(values[0]), "Notes");
  // An error for one attribute leaves the others.
  EXPECT_EQ(values[1], std::nullopt);
  EXPECT_EQ(values[2], std::nullopt);

  fake.setBatchMode(FakeAccessibility::BatchMode::dropsLastValue);
  EXPECT_TRUE(ax.attributes(fake.application(), names).empty());
  EXPECT_EQ(ax.frame(fake.application()), std::nullopt);
  fake.setBatchMode(FakeAccessibility::BatchMode::fails);
  EXPECT_TRUE(ax.attributes(fake.application(), names).empty());
}

}  // namespace
}  // namespace quillo::core
