#include <gtest/gtest.h>

#include <array>

#include "quillo/platform/posix/posix_accessibility.h"
#include "quillo/platform/posix/saved_tree_accessibility.h"

namespace quillo::platform::posix {
namespace {

constexpr std::string_view kTree = R"({
  "AXTitle": "Notes",
  "AXMenuBar": {"AXChildren": [{"AXTitle": "Apple"}, {"AXTitle": "Notes", "AXEnabled": {"error": 1}}]}
})";

TEST(SavedTreeAccessibility, AnyProcessReadsAsTheSavedApplication) {
  SavedTreeAccessibility ax(ElementTree::parse(kTree));
  EXPECT_TRUE(ax.isTrusted(Accessibility::TrustCheck::silent));
  const auto app = ax.applicationElement(1);
  ASSERT_TRUE(app);
  EXPECT_EQ(app, ax.applicationElement(999));
  EXPECT_EQ(ax.attribute(*app, "AXTitle"), AttributeValue(std::string("Notes")));
}

TEST(SavedTreeAccessibility, BatchGivesOneEntryPerNameWithFailuresAndForeignElementsAbsent) {
  SavedTreeAccessibility ax(ElementTree::parse(kTree));
  const auto bar = std::get<AXElement>(*ax.attribute(*ax.applicationElement(1), "AXMenuBar"));
  const auto menus = std::get<std::vector<AXElement>>(*ax.attribute(bar, "AXChildren"));
  const std::array<std::string_view, 3> names{"AXTitle", "AXEnabled", "AXMenuItemCmdChar"};
  const auto values = ax.attributes(menus[1], names);
  ASSERT_TRUE(values);
  ASSERT_EQ(values->size(), 3u);
  EXPECT_EQ((*values)[0], AttributeValue(std::string("Notes")));
  EXPECT_EQ((*values)[1], std::nullopt);
  EXPECT_EQ((*values)[2], std::nullopt);
  const ElementTree other;
  EXPECT_EQ(ax.attribute(other.element(other.root()), "AXTitle"), std::nullopt);
  EXPECT_EQ(ax.attributes(other.element(other.root()), names), std::nullopt);
}

TEST(SavedTreeAccessibility, ACapturedTreeCannotBeChanged) {
  SavedTreeAccessibility ax(ElementTree::parse(kTree));
  const auto app = *ax.applicationElement(1);
  EXPECT_FALSE(ax.setAttribute(app, "AXTitle", std::string("Other")));
  EXPECT_FALSE(ax.performAction(app, "AXPress"));
  EXPECT_EQ(ax.attribute(app, "AXTitle"), AttributeValue(std::string("Notes")));
}

TEST(PosixAccessibility, ReportsNoTrustAndNoElements) {
  PosixAccessibility ax;
  EXPECT_FALSE(ax.isTrusted(Accessibility::TrustCheck::silent));
  EXPECT_FALSE(ax.isTrusted(Accessibility::TrustCheck::prompt));
  EXPECT_EQ(ax.applicationElement(1), std::nullopt);
}

}  // namespace
}  // namespace quillo::platform::posix
