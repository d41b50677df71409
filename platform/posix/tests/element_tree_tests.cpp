#include <gtest/gtest.h>

#include <unordered_set>

#include "quillo/platform/posix/element_tree.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

// The message `run` fails with, or "accepted".
template <class Run>
std::string errorOf(Run run) {
  try {
    run();
  } catch (const ElementTreeError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(ElementTree, ReadsEveryKindOfValue) {
  const auto tree = ElementTree::parse(R"({
    "AXTitle": "Notes", "AXEnabled": false, "AXMenuItemCmdModifiers": 12, "AXValue": 0.25,
    "AXPosition": {"point": [10, -4.5]}, "AXSize": {"size": [300, 20]},
    "AXDescription": {"error": "cannot complete"},
    "AXMenuBar": {"AXRole": "AXMenuBar"},
    "AXChildren": [{}, {"AXTitle": "File"}]
  })");
  const auto root = tree.root();
  EXPECT_EQ(tree.read(root, "AXTitle"), AttributeValue(std::string("Notes")));
  EXPECT_EQ(tree.read(root, "AXEnabled"), AttributeValue(false));
  EXPECT_EQ(tree.read(root, "AXMenuItemCmdModifiers"), AttributeValue(12.0));
  EXPECT_EQ(tree.read(root, "AXValue"), AttributeValue(0.25));
  EXPECT_EQ(tree.read(root, "AXPosition"), AttributeValue(Point{10, -4.5}));
  EXPECT_EQ(tree.read(root, "AXSize"), AttributeValue(Size{300, 20}));
  // A failing read and a missing attribute both read as absent, but only one is stored.
  EXPECT_EQ(tree.read(root, "AXDescription"), std::nullopt);
  EXPECT_NE(tree.find(root, "AXDescription"), nullptr);
  EXPECT_EQ(tree.read(root, "AXHelp"), std::nullopt);
  EXPECT_EQ(tree.find(root, "AXHelp"), nullptr);

  const auto menuBar = tree.read(root, "AXMenuBar");
  ASSERT_TRUE(menuBar && std::holds_alternative<AXElement>(*menuBar));
  EXPECT_EQ(tree.read(*tree.node(std::get<AXElement>(*menuBar)), "AXRole"),
            AttributeValue(std::string("AXMenuBar")));
  const auto children = tree.read(root, "AXChildren");
  ASSERT_TRUE(children && std::holds_alternative<std::vector<AXElement>>(*children));
  const auto& list = std::get<std::vector<AXElement>>(*children);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(tree.read(*tree.node(list[1]), "AXTitle"), AttributeValue(std::string("File")));
}

TEST(ElementTree, EachObjectIsOneElementWithItsOwnIdentity) {
  const auto tree = ElementTree::parse(R"({"AXChildren": [{"AXTitle": "Same"}, {"AXTitle": "Same"}]})");
  const auto first = std::get<std::vector<AXElement>>(*tree.read(tree.root(), "AXChildren"));
  const auto again = std::get<std::vector<AXElement>>(*tree.read(tree.root(), "AXChildren"));
  // Two reads hand out new handles to the same elements; equal-looking objects stay distinct.
  EXPECT_EQ(first[0], again[0]);
  EXPECT_EQ(first[0].hash(), again[0].hash());
  EXPECT_NE(first[0], first[1]);
  EXPECT_EQ(std::unordered_set<AXElement>({first[0], again[0], first[1]}).size(), 2u);
  // Elements of another tree are never the same, however alike.
  const auto other = ElementTree::parse(R"({"AXChildren": [{"AXTitle": "Same"}, {"AXTitle": "Same"}]})");
  EXPECT_NE(tree.element(tree.root()), other.element(other.root()));
  EXPECT_EQ(tree.node(other.element(other.root())), std::nullopt);
}

TEST(ElementTree, NodesAreNumberedInFileOrder) {
  const auto tree =
      ElementTree::parse(R"({"A": {"B": [{"AXTitle": "first"}]}, "C": [{"AXTitle": "second"}]})");
  ASSERT_EQ(tree.size(), 4u);
  EXPECT_EQ(tree.read(2, "AXTitle"), AttributeValue(std::string("first")));
  EXPECT_EQ(tree.read(3, "AXTitle"), AttributeValue(std::string("second")));
}

TEST(ElementTree, MalformedTreesAreRejectedWithWhereAndWhy) {
  const auto message = [](std::string_view json) { return errorOf([&] { ElementTree::parse(json); }); };
  EXPECT_TRUE(message(R"({"AXTitle": )").starts_with("not JSON: ")) << message(R"({"AXTitle": )");
  EXPECT_EQ(message("[]"), "not an element tree: the top is not an object (the application element)");
  EXPECT_EQ(message(R"({"AXMenuBar": {"AXChildren": [{}, "File"]}})"),
            "not an element tree: AXMenuBar.AXChildren[1] is not an element");
  EXPECT_EQ(message(R"({"AXPosition": {"point": [1]}})"),
            "not an element tree: AXPosition.point needs two numbers");
  EXPECT_EQ(message(R"({"AXTitle": null})"),
            "not an element tree: AXTitle is neither a string, a Boolean, a number, a list nor an object");
  // A point inside a list is not an element.
  EXPECT_EQ(message(R"({"AXChildren": [{"point": [1, 2]}]})"),
            "not an element tree: AXChildren[0] is not an element");
  for (std::string_view text : {R"({"AXTitle": )", "[]", R"({"AXTitle": null})"})
    EXPECT_EQ(message(text).find('\n'), std::string::npos);
}

// Nested objects: {"AXChildren": [{"AXChildren": [ ... ]}]} `levels` elements deep.
std::string nestedTree(int levels) {
  std::string text;
  for (int level = 0; level < levels; ++level)
    text += R"({"AXChildren": [)";
  text += "{}";
  for (int level = 0; level < levels; ++level)
    text += "]}";
  return text;
}

TEST(ElementTree, NestingDeeperThanTheReaderFollowsIsRefusedWithOneLine) {
  // 20,000 levels overflowed the stack before.
  EXPECT_EQ(errorOf([] { ElementTree::parse(nestedTree(20000)); }),
            "not an element tree: it nests deeper than 512 levels");
  EXPECT_EQ(ElementTree::parse(nestedTree(200)).size(), 201u);
}

TEST(ElementTree, NumbersOutOfRangeAreNotJsonOfTheNamedFile) {
  quillo::testing::TemporaryFolder folder;
  quillo::testing::writeFile(folder / "huge.json", R"({"AXValue": 1E999})");
  EXPECT_EQ(errorOf([&] { ElementTree::load(folder / "huge.json"); }),
            (folder / "huge.json").string() + " is not JSON: number overflow parsing '1E999'");
}

TEST(ElementTree, LoadNamesTheFileThatCannotBeRead) {
  quillo::testing::TemporaryFolder folder;
  const auto loading = [](const std::filesystem::path& path) {
    return errorOf([&] { ElementTree::load(path); });
  };
  EXPECT_EQ(loading(folder / "missing.json"),
            "cannot read " + (folder / "missing.json").string() + ": no such file");
  EXPECT_NE(loading(folder.path()), "accepted");
  quillo::testing::writeFile(folder / "bad.json", R"({"AXChildren": 3)");
  EXPECT_TRUE(loading(folder / "bad.json").starts_with((folder / "bad.json").string() + " is not JSON: "))
      << loading(folder / "bad.json");
}

TEST(ElementTree, StoresWhatTheSeamWrites) {
  ElementTree tree;
  const auto child = tree.add();
  tree.set(tree.root(), "AXChildren", ElementTree::Elements{{child}});
  const auto stored = tree.stored(AttributeValue(tree.element(child)));
  EXPECT_EQ(stored, ElementTree::Value(ElementTree::Element{child}));
  const ElementTree other;
  EXPECT_EQ(tree.stored(AttributeValue(other.element(other.root()))), std::nullopt);
  tree.set(child, "AXSelected", true);
  tree.set(child, "AXSelected", false);
  EXPECT_EQ(tree.read(child, "AXSelected"), AttributeValue(false));
}

}  // namespace
}  // namespace quillo::platform::posix
